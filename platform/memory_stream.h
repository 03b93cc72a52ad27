#pragma once

#include <string_view>

#include "platform/files.h"

// A C stream that reads bytes held in memory, for the readers that take a stream: a drawing that
// arrives as bytes (a page's dropped file) is read as a file of the same bytes is.

// A binary read stream over `bytes`, which must outlive it and must not be empty (a system may
// refuse an empty buffer); null, with errno set, when the system cannot make one.
FilePtr openMemoryStream(std::string_view bytes);
