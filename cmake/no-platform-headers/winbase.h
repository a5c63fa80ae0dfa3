#error "The clicker logic is platform-free: <winbase.h> is not available here."
