#pragma once

#include <cstdio>
#include <string>
#include <vector>

// Replaces a file atomically: the content goes to a temporary file in the target's directory,
// which `commit` checks, flushes, syncs, closes and renames over the target. Until `commit`
// succeeds the target is untouched; a temporary that was not committed is removed.
class AtomicFile {
  public:
    explicit AtomicFile(std::string target);
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();

    // Creates the temporary file and its buffered stream: mode 0666 less the umask for a new
    // target, the target's own mode for an existing one. False on failure, and for an existing
    // target that is not a regular file or that the process may not write.
    bool open();
    // The temporary's stream after a successful `open`; null otherwise.
    FILE* stream() const { return stream_; }
    // Fails if any write failed; otherwise flushes, syncs, closes and renames, then syncs the
    // directory. On failure the temporary is gone and the target is as it was, except after a
    // failed directory sync, when the target may already hold the new content.
    bool commit();

  private:
    static constexpr std::size_t kStreamBufferBytes = std::size_t{1} << 16;

    bool syncDirectory() const;
    void discard();

    std::string target_;
    std::string directory_;
    std::string tempPath_;
    int fd_ = -1;
    FILE* stream_ = nullptr;
    std::vector<char> buffer_;  // the stream's buffer; outlives the stream
};
