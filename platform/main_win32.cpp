#include <windows.h>

#include "platform/platform.h"

// The arguments are ignored: hostStart reads the command line itself and never returns.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    hostStart();
}
