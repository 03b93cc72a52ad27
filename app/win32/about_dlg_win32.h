#pragma once

#include <windows.h>

// The about box (template 100): the program's name, its version and what it does, closed by OK.
void runAboutBox(HWND owner);
