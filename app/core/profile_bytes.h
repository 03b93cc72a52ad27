#pragma once

#include <cstdint>
#include <string>

// A settings file larger than this is not a settings file; it is neither read nor replaced.
inline constexpr uint64_t kMaxProfileBytes = uint64_t{1} << 20;

// What reading a whole profile file gave.
struct ProfileBytes {
    enum class State { Missing, Read, Unreadable };
    State state = State::Missing;
    std::string text;         // empty unless Read
    int error = 0;            // the system's error when it could not be opened or read
    bool notRegular = false;  // a directory, FIFO, device or socket: refused without waiting
    bool tooLarge = false;    // over kMaxProfileBytes
};

// Reads the whole file. Only a regular file is read; a FIFO of that name does not block.
ProfileBytes loadProfile(const std::string& path);

// Why the file could not be read (a missing one included), in the user's language; empty when it
// was read.
std::string profileReadProblem(const ProfileBytes& file);
