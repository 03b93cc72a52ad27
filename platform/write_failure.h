#pragma once

#include <string>

// Why a file could not be written.
struct WriteFailure {
    enum class Cause {
        None,            // nothing failed
        System,          // the system refused; `error` says why
        NotRegularFile,  // the target exists and is neither a regular file nor a directory
        ProtectedLink,   // the target is reached through a symbolic link that is not followed
    };
    Cause cause = Cause::None;
    int error = 0;  // the system's error number for Cause::System; 0 when it gave none
};

// The cause in words, for reports: the system's error text, or what stands in its place. Empty
// when nothing is known.
std::string describeWriteFailure(const WriteFailure& failure);
