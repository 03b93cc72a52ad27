#include "platform/atomic_file.h"

#include <cinttypes>
#include <cstdio>
#include <mutex>
#include <set>

#include "platform/text.h"

std::string describeWriteFailure(const WriteFailure& failure) {
    switch (failure.cause) {
        case WriteFailure::Cause::None:
        case WriteFailure::Cause::NotReplaced:  // the caller says why
            return "";
        case WriteFailure::Cause::System:
            return failure.error != 0 ? systemErrorText(failure.error) : "";
        case WriteFailure::Cause::NotRegularFile:
            return translated("not a regular file");
        case WriteFailure::Cause::ProtectedLink:
            return translated(
                "symbolic link not followed: it lies in a sticky, world-writable folder and "
                "belongs to neither the folder's owner nor this user");
    }
    return "";
}

bool writeFileAtomically(const std::string& path, std::string_view content, WriteFailure* failure,
                         const std::function<bool()>& mayReplace) {
    AtomicFile file(path);
    if (file.open()) {
        // A failed write is kept by the stream; commit refuses to replace the file then.
        std::fwrite(content.data(), 1, content.size(), file.stream());
        if (file.commit(mayReplace)) {
            return true;
        }
    }
    if (failure != nullptr) {
        *failure = file.failure();
    }
    return false;
}

std::string temporaryFileName(uint64_t pid, uint64_t start, uint64_t random) {
    char name[80];
    std::snprintf(name, sizeof name, ".morvex-%" PRIx64 "-%" PRIx64 "-%016" PRIx64 ".tmp", pid,
                  start, random);
    return name;
}

std::optional<TemporaryOwner> temporaryOwner(const std::string& name) {
    TemporaryOwner owner;
    uint64_t random = 0;
    int consumed = 0;
    if (std::sscanf(name.c_str(), ".morvex-%" SCNx64 "-%" SCNx64 "-%16" SCNx64 ".tmp%n", &owner.pid,
                    &owner.start, &random, &consumed) != 3 ||
        static_cast<std::size_t>(consumed) != name.size()) {
        return std::nullopt;
    }
    return owner;
}

bool firstVisitOf(const std::string& folder) {
    static std::mutex mutex;
    static std::set<std::string> visited;
    const std::lock_guard<std::mutex> lock(mutex);
    return visited.insert(folder).second;
}
