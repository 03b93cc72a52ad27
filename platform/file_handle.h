#pragma once

#include <cstdio>
#include <memory>

// Closes a C stream when it goes out of scope.
struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;
