#pragma once

#include <string>

// The system's text for one of its error numbers, e.g. "No space left on device".
std::string systemErrorText(int error);
