#include "app/core/profile_file.h"

#include <cerrno>
#include <cstdio>
#include <utility>

#include "app/core/profile_bytes.h"
#include "app/core/profile_text.h"
#include "app/core/settings.h"
#include "platform/atomic_file.h"
#include "platform/directories.h"
#include "platform/files.h"
#include "platform/numbers.h"

ProfileBytes loadProfile(const std::string& path) {
    using State = ProfileBytes::State;
    ProfileBytes loaded;
    const RegularFile file = openRegularFile(path);
    if (!file.stream) {
        loaded.state = file.error == ENOENT ? State::Missing : State::Unreadable;
        loaded.error = file.error;
        loaded.notRegular = file.notRegular;
        return loaded;
    }
    loaded.state = State::Unreadable;
    if (file.size > kMaxProfileBytes) {
        loaded.tooLarge = true;
        return loaded;
    }
    std::string data;
    char buffer[8192];
    for (;;) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, file.stream.get());
        data.append(buffer, n);
        if (data.size() > kMaxProfileBytes) {
            loaded.tooLarge = true;
            return loaded;
        }
        if (n < sizeof buffer) {
            break;
        }
    }
    if (std::ferror(file.stream.get()) != 0) {
        loaded.error = errno;
        return loaded;
    }
    loaded.state = State::Read;
    loaded.text = std::move(data);
    return loaded;
}

std::string ProfileFile::readString(const std::string& section, const std::string& key,
                                    const std::string& fallback) const {
    const ProfileBytes file = loadProfile(path_);
    auto value = profileValue(file.text, section, key);
    return value ? std::move(*value) : fallback;
}

int ProfileFile::readInt(const std::string& section, const std::string& key, int fallback) const {
    const ProfileBytes file = loadProfile(path_);
    const auto value = profileValue(file.text, section, key);
    return value ? atoiField(*value) : fallback;
}

// The file is changed line by line rather than parsed and written anew, since a general INI
// library lays the whole file out again: it drops what it cannot parse, moves comments and
// blank lines and merges duplicates. Here only the one key's line changes or is added, so a
// file that the user or another program keeps stays as it was.
bool ProfileFile::writeString(const std::string& section, const std::string& key,
                              const std::string& value) {
    if (!fitsProfileLine(section, key, value)) {
        return false;
    }
    const ProfileBytes file = loadProfile(path_);
    if (file.state == ProfileBytes::State::Unreadable) {
        return false;
    }
    const std::string text = withProfileValue(file.text, section, key, value);
    if (file.state == ProfileBytes::State::Read && text == file.text) {
        return true;
    }
    if (!makeParentDirectories(path_)) {
        return false;
    }
    return writeFileAtomically(path_, text);
}

bool ProfileFile::writeInt(const std::string& section, const std::string& key, int value) {
    return writeString(section, key, std::to_string(value));
}
