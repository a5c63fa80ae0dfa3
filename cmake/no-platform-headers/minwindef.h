#error "The clicker logic is platform-free: <minwindef.h> is not available here."
