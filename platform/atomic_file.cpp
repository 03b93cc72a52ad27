#include "platform/atomic_file.h"

#include <algorithm>
#include <cinttypes>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

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

namespace {

thread_local FolderSyncs::Deferral* tDeferral = nullptr;

}  // namespace

// Renames into each folder are counted. Each pending sync is settled by the first sync of its
// folder begun after its rename, whether that succeeds or fails: the syncs of a folder, one at a
// time, each cover the renames after those the one before covered.
struct FolderSyncs::State {
    struct FailedSync {
        uint64_t after = 0;  // the renames it covered: after this one, up to `upTo`
        uint64_t upTo = 0;
        WriteFailure failure;
    };
    struct Folder {
        std::string path;
        uint64_t renames = 0;
        uint64_t covered = 0;  // by the syncs done
        bool syncing = false;
        std::vector<FailedSync> failed;
    };

    std::mutex mutex;
    std::condition_variable synced;
    std::deque<Folder> folders;  // stay where they are as folders are added
    std::map<std::string, std::size_t> byPath;
};

FolderSyncs::Deferral::Deferral(FolderSyncs& syncs)
    : syncs_(syncs), outer_(std::exchange(tDeferral, this)) {}

FolderSyncs::Deferral::~Deferral() {
    tDeferral = outer_;
}

FolderSyncs::Deferral* FolderSyncs::Deferral::current() {
    return tDeferral;
}

void FolderSyncs::Deferral::renamedInto(const std::string& folder) {
    pending_ = syncs_.renamed(folder);
}

FolderSyncs::FolderSyncs() : state_(std::make_unique<State>()) {}

FolderSyncs::~FolderSyncs() {
    for (const State::Folder& folder : state_->folders) {
        if (folder.renames > folder.covered) {
            syncFolder(folder.path);
        }
    }
}

FolderSyncs::Pending FolderSyncs::renamed(const std::string& folder) {
    State& s = *state_;
    const std::lock_guard lock(s.mutex);
    const auto [at, added] = s.byPath.try_emplace(folder, s.folders.size());
    if (added) {
        s.folders.emplace_back().path = folder;
    }
    return {at->second, ++s.folders[at->second].renames};
}

WriteFailure FolderSyncs::settle(const Pending& pending) {
    State& s = *state_;
    std::unique_lock lock(s.mutex);
    State::Folder& folder = s.folders[pending.folder];
    while (pending.rename > folder.covered) {
        if (folder.syncing) {
            s.synced.wait(lock);
            continue;
        }
        // Every rename counted by now is done: the sync covers them all.
        folder.syncing = true;
        const uint64_t after = folder.covered;
        const uint64_t upTo = folder.renames;
        lock.unlock();
        const WriteFailure failure = syncFolder(folder.path);
        lock.lock();
        folder.syncing = false;
        folder.covered = upTo;
        if (failure.cause != WriteFailure::Cause::None) {
            folder.failed.push_back({after, upTo, failure});
        }
        s.synced.notify_all();
    }
    for (const State::FailedSync& failed : folder.failed) {
        if (pending.rename > failed.after && pending.rename <= failed.upTo) {
            return failed.failure;
        }
    }
    return {};
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
