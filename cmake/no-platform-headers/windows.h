#error "The clicker logic is platform-free: <windows.h> is not available here."
