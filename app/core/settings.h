#pragma once

#include <string>
#include <utility>

#include "platform/directories.h"

// Settings keys and defaults. Faces are CP932 bytes.
inline constexpr char kSettingsFileName[] = "MORVEX.INI";
inline constexpr char kLargeFontSection[] = "LARGE_FONT";
inline constexpr char kSmallFontSection[] = "SMALL_FONT";
inline constexpr char kFaceKey[] = "FACE";
inline constexpr char kSizeKey[] = "SIZE";
// The full-width Japanese Gothic face, in CP932.
inline constexpr char kDefaultLargeFace[] =
    "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";
inline constexpr int kDefaultLargeSize = 12;
inline constexpr char kDefaultSmallFace[] = "Verdana";
inline constexpr int kDefaultSmallSize = 8;

// Where MORVEX.INI lives, found as findSettingsFile finds it, for the given locations or those of
// this process.
std::string findSettingsPath(const SettingsLocations& where);
std::string findSettingsPath();

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
    // left as it was), or when the entry would not read back as written (fitsProfileLine).
    // A write that would change no byte leaves the file untouched.
    bool writeString(const std::string& section, const std::string& key, const std::string& value);
    bool writeInt(const std::string& section, const std::string& key, int value);

  private:
    std::string path_;
};
