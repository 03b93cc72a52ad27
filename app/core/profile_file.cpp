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
#include "platform/text.h"

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

std::string profileReadProblem(const ProfileBytes& file) {
    if (file.state == ProfileBytes::State::Read) {
        return "";
    }
    if (file.notRegular) {
        return translated("not a regular file");
    }
    if (file.tooLarge) {
        return translated("larger than a settings file can be (1 MiB)");
    }
    return file.error != 0
               ? formatted(translated("cannot be read: %s"), systemErrorText(file.error).c_str())
               : translated("cannot be read");
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
                              const std::string& value, std::string* cause) {
    const auto fail = [cause](std::string why) {
        if (cause != nullptr) {
            *cause = std::move(why);
        }
        return false;
    };
    if (!fitsProfileLine(section, key, value)) {
        return fail(translated("the entry does not fit on a line of the settings file"));
    }
    const ProfileBytes file = loadProfile(path_);
    if (file.state == ProfileBytes::State::Unreadable) {
        return fail(profileReadProblem(file));
    }
    const std::string text = withProfileValue(file.text, section, key, value);
    if (file.state == ProfileBytes::State::Read && text == file.text) {
        return true;
    }
    if (!makeParentDirectories(path_)) {
        return fail(formatted(translated("its folder cannot be created: %s"),
                              systemErrorText(errno).c_str()));
    }
    WriteFailure failure;
    if (!writeFileAtomically(path_, text, &failure)) {
        return fail(describeWriteFailure(failure));
    }
    return true;
}

bool ProfileFile::writeInt(const std::string& section, const std::string& key, int value,
                           std::string* cause) {
    return writeString(section, key, std::to_string(value), cause);
}
