// Entry point of Quorvel.exe.
#include <windows.h>

#include "app/startup_win.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    return qv::RunQuorvel(instance, show);
}
