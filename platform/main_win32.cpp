// WinMain, the composition root: the platform layer's entry hands the core its module and command tail.
#include <windows.h>

#include "platform/platform.h"

// The composition root: the saver's core runs the mode the command tail names. The
// show command is not needed: the saver's windows are created visible.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR tail, int) {
    return hostMain(reinterpret_cast<ModuleHandle>(instance), tail);
}
