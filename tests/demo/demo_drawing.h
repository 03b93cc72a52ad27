#pragma once

#include <string>

// The bytes of examples/demo.ce2: a header and one record of every element kind, Japanese texts
// in CP932, a comment of each size class, and one wire outside the sheet.
std::string demoDrawing();
