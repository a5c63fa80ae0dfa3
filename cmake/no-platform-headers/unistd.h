#error "The clicker logic is platform-free: <unistd.h> is not available here."
