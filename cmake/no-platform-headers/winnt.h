#error "The clicker logic is platform-free: <winnt.h> is not available here."
