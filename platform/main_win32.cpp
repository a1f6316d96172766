#include <windows.h>

#include "host/host.h"

// The arguments are ignored: hostStart reads the command line itself and never returns.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    hostStart();
}
