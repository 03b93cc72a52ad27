#include "platform/atomic_file_faults.h"

// Installed before main runs: every save of the program takes a named temporary.
namespace {

const AtomicFileFaults kNoUnnamedTemporary{.noUnnamedTemporary = true};

[[maybe_unused]] const bool kInstalled = [] {
    setAtomicFileFaults(&kNoUnnamedTemporary);
    return true;
}();

}  // namespace
