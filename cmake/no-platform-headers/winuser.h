#error "The clicker logic is platform-free: <winuser.h> is not available here."
