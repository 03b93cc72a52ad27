#pragma once

#include <cstdint>

// Faults for tests of the failure paths of AtomicFile, put into its table of system calls. While
// installed, every AtomicFile opened afterwards writes through a stream that accepts only
// `writeLimit` bytes (then fails as a full disk does), and the named steps fail as the system call
// would; the other steps make the system's own calls.
struct AtomicFileFaults {
    int64_t writeLimit = -1;          // bytes accepted before every write fails; negative: no limit
    bool unbuffered = false;          // hand each byte to the sink at once instead of at flush time
    bool noUnnamedTemporary = false;  // the file system offers no temporary without a name
    bool failSync = false;
    bool failClose = false;
    bool failRename = false;      // the step that gives the temporary the target's name
    bool failHiddenLink = false;  // the link of the temporary under a hidden name beside the target
    bool failDirectorySync = false;
};

// Installs faults (null restores the system's calls). The pointee must outlive every AtomicFile
// opened with it.
void setAtomicFileFaults(const AtomicFileFaults* faults);
