#error "The clicker logic is platform-free: <windef.h> is not available here."
