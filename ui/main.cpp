#include <windows.h>

#include "program_host.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // The command line is not read.
    clicker::ProgramHost host;
    return host.Run();
}
