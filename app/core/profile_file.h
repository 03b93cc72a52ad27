#pragma once

#include <string>
#include <utility>

// A profile (INI) file with the semantics of the Windows profile functions (profile_text.h):
// section and key names compare without regard to case, values are trimmed, the first of
// duplicate sections or keys counts, and a write changes only the line of its key, or adds one,
// keeping every other byte. The file is replaced atomically. Reading never creates the file; a
// missing or unreadable file (not a regular file, or over 1 MiB) reads as holding nothing, so
// every read gives its fallback. Values are bytes, stored unchanged.
class ProfileFile {
  public:
    explicit ProfileFile(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }

    std::string readString(const std::string& section, const std::string& key,
                           const std::string& fallback) const;
    // The leading decimal number of the value; the fallback when the key is missing.
    int readInt(const std::string& section, const std::string& key, int fallback) const;
    // false when the file could not be written, when an existing file could not be read (it is
    // left as it was), or when the entry would not read back as written (fitsProfileLine); then
    // *cause, unless cause is null, says why in the user's language (empty when nothing is
    // known). A write that would change no byte leaves the file untouched.
    bool writeString(const std::string& section, const std::string& key, const std::string& value,
                     std::string* cause = nullptr);
    bool writeInt(const std::string& section, const std::string& key, int value,
                  std::string* cause = nullptr);

  private:
    std::string path_;
};
