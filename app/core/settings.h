#pragma once

#include <string>

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

// Where the settings file lives: MORVEX.INI in the current directory when it exists there; else
// beside the executable when it exists there or that directory is writable; else
// $XDG_CONFIG_HOME/morvex/MORVEX.INI (~/.config/morvex/MORVEX.INI when unset).
std::string findSettingsPath();

// A profile (INI) file with the semantics of the Windows profile functions: section and key
// names compare without regard to case, values are trimmed, writing replaces one key and keeps
// every other line, lines end in CR LF and the file is replaced atomically.
class ProfileFile {
  public:
    explicit ProfileFile(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }

    std::string readString(const std::string& section, const std::string& key,
                           const std::string& fallback) const;
    // The leading decimal number of the value; the fallback when the key is missing.
    int readInt(const std::string& section, const std::string& key, int fallback) const;
    // false when the file could not be written.
    bool writeString(const std::string& section, const std::string& key, const std::string& value);
    bool writeInt(const std::string& section, const std::string& key, int value);

  private:
    std::string path_;
};
