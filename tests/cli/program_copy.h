#pragma once

#include <sys/types.h>

#include <string>

// A copy of a program that another user can run wherever the original lies. The build tree may
// sit inside a folder that only its owner can enter (a home folder of mode 0700), where a test
// that runs the program as another user would otherwise fail to start it.
class ProgramCopy {
  public:
    // Copies `program` under its own name into a fresh folder under the system's folder for
    // temporary files, which `user` may traverse but not write.
    ProgramCopy(const std::string& program, uid_t user);
    ProgramCopy(const ProgramCopy&) = delete;
    ProgramCopy& operator=(const ProgramCopy&) = delete;
    ~ProgramCopy();

    // The copy's path, or an empty string when the user cannot run it; then failure() says why.
    const std::string& path() const { return path_; }
    const std::string& failure() const { return failure_; }

  private:
    std::string folder_;
    std::string path_;
    std::string failure_;
};

// Whether `user` (with the group of the same number, as runProcess runs it) may execute `path`.
// Needs root.
bool executableBy(const std::string& path, uid_t user);
