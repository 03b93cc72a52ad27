#pragma once

#include <windows.h>

#include <string>

// A string of the program's string table; empty when there is none.
std::wstring loadResourceString(UINT id);
