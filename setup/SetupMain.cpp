// Setup.exe
#include "Main.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return SetupMain(); }
