#error "The clicker logic is platform-free: <wingdi.h> is not available here."
