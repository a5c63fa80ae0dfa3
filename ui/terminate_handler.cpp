#include <cstdlib>

// GCC's default handler for an uncaught exception writes the exception's
// demangled type to stderr, which a GUI program does not have. Replacing it
// ends the program at once, as the default does after its message, and keeps
// the demangler (about a fifth of the executable) out of the build.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
