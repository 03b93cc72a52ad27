#pragma once

#include <string>

// What a save writes and leaves out, in the words of a file's report line: "12 elements; 1 element
// outside the sheet left out; 2 empty texts left out", each part left out only when it counts
// something.
std::string describeSaved(unsigned long written, unsigned long outside, unsigned long emptyTexts);
