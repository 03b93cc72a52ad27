// SimpleIni's template code is compiled here (Debian's header keeps it behind
// SI_IMPLEMENTATION), with the byte-string interface only, so no Unicode library is linked.
#define SI_IMPLEMENTATION
#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <cerrno>
#include <cstdio>
#include <string_view>

#include "app/core/settings.h"
#include "platform/atoi_field.h"
#include "platform/atomic_file.h"
#include "platform/directories.h"
#include "platform/read_file.h"

namespace {

// A settings file larger than this is not a settings file; it is neither read nor replaced.
constexpr uint64_t kMaxProfileBytes = 1 << 20;

enum class Loaded { Missing, Read, Unreadable };

// Byte strings, case-insensitive names, no quotes, no multi-line values, "KEY=value" lines.
// A key that occurs twice in a section is kept twice and reads as its first value.
class Profile : public CSimpleIniA {
  public:
    Profile() : CSimpleIniA(/*isUtf8=*/false, /*multiKey=*/true, /*multiLine=*/false) {
        SetSpaces(false);
        SetQuotes(false);
    }
};

// Reads the file into ini. Only a regular file is read; a FIFO of that name does not block.
Loaded loadProfile(const std::string& path, Profile& ini) {
    const RegularFile file = openRegularFile(path);
    if (!file.stream) {
        return file.error == ENOENT ? Loaded::Missing : Loaded::Unreadable;
    }
    if (file.size > kMaxProfileBytes) {
        return Loaded::Unreadable;
    }
    std::string data;
    char buffer[8192];
    for (;;) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, file.stream.get());
        data.append(buffer, n);
        if (data.size() > kMaxProfileBytes) {
            return Loaded::Unreadable;
        }
        if (n < sizeof buffer) {
            break;
        }
    }
    if (std::ferror(file.stream.get()) != 0) {
        return Loaded::Unreadable;
    }
    return ini.LoadData(data) < 0 ? Loaded::Unreadable : Loaded::Read;
}

bool hasLineBreakOrNul(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool canWrite(const std::string& section, const std::string& key, const std::string& value) {
    return !section.empty() && !key.empty() && !hasLineBreakOrNul(section) &&
           !hasLineBreakOrNul(key) && !hasLineBreakOrNul(value) &&
           section.find(']') == std::string::npos && key.find('=') == std::string::npos;
}

// The key as the file spells it, so that replacing its value keeps the rest of its line.
std::string spellingInFile(const Profile& ini, const std::string& section, const std::string& key) {
    CSimpleIniA::TNamesDepend keys;
    ini.GetAllKeys(section.c_str(), keys);
    const SI_GenericNoCase<char> less;
    for (const CSimpleIniA::Entry& k : keys) {
        if (!less(k.pItem, key.c_str()) && !less(key.c_str(), k.pItem)) {
            return k.pItem;
        }
    }
    return key;
}

std::string withCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (const char c : text) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
    return out;
}

}  // namespace

std::string ProfileFile::readString(const std::string& section, const std::string& key,
                                    const std::string& fallback) const {
    Profile ini;
    if (loadProfile(path_, ini) != Loaded::Read) {
        return fallback;
    }
    const char* value = ini.GetValue(section.c_str(), key.c_str(), nullptr);
    return value != nullptr ? value : fallback;
}

int ProfileFile::readInt(const std::string& section, const std::string& key, int fallback) const {
    Profile ini;
    if (loadProfile(path_, ini) != Loaded::Read) {
        return fallback;
    }
    const char* value = ini.GetValue(section.c_str(), key.c_str(), nullptr);
    return value != nullptr ? atoiField(value) : fallback;
}

// The file is parsed and written anew, so only what the parser keeps survives: sections, keys
// and the comment lines before them stay in their order, but blank lines are laid out anew,
// lines that are neither a section, a key nor a comment are dropped, as are comments after the
// last key; a section that occurs twice is merged into its first place, and the lines of a key
// that occurs twice in a section end up together (the written key keeps one line).
bool ProfileFile::writeString(const std::string& section, const std::string& key,
                              const std::string& value) {
    if (!canWrite(section, key, value)) {
        return false;
    }
    Profile ini;
    if (loadProfile(path_, ini) == Loaded::Unreadable) {
        return false;
    }
    const std::string spelled = spellingInFile(ini, section, key);
    if (ini.SetValue(section.c_str(), spelled.c_str(), value.c_str(), nullptr,
                     /*forceReplace=*/true) < 0) {
        return false;
    }
    std::string text;
    if (ini.Save(text) < 0) {
        return false;
    }
    text = withCrLf(text);
    if (!makeParentDirectories(path_)) {
        return false;
    }
    AtomicFile file(path_);
    return file.open() && std::fwrite(text.data(), 1, text.size(), file.stream()) == text.size() &&
           file.commit();
}

bool ProfileFile::writeInt(const std::string& section, const std::string& key, int value) {
    return writeString(section, key, std::to_string(value));
}
