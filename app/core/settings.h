#pragma once

#include <string>

#include "platform/directories.h"

// Settings keys and defaults. Faces are CP932 bytes.
inline constexpr char kSettingsFileName[] = "MORVEX.INI";
inline constexpr char kLargeFontSection[] = "LARGE_FONT";
inline constexpr char kSmallFontSection[] = "SMALL_FONT";
inline constexpr char kFaceKey[] = "FACE";
inline constexpr char kSizeKey[] = "SIZE";
// The dialogs' output folder (empty or missing: outputs beside their sources).
inline constexpr char kOutputSection[] = "OUTPUT";
inline constexpr char kOutputFolderKey[] = "FOLDER";
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
