#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// Replacing files whole and atomically, and the temporary files that this takes.

// Why a file could not be written.
struct WriteFailure {
    enum class Cause {
        None,            // nothing failed
        System,          // the system refused; `error` says why
        NotRegularFile,  // the target exists and is neither a regular file nor a directory
        ProtectedLink,   // the target is reached through a symbolic link that is not followed
        NotReplaced,     // the caller's last look at the target, just before the rename, said no
    };
    Cause cause = Cause::None;
    int error = 0;  // the system's error number for Cause::System; 0 when it gave none

    // The system refused with `error`.
    static WriteFailure system(int error) { return {Cause::System, error}; }
};

// The cause in words, for reports: the system's error text, or what stands in its place. Empty
// when nothing is known.
std::string describeWriteFailure(const WriteFailure& failure);

// Replaces a file atomically. The content goes to a temporary file in the target's directory that
// has no name where the system allows it, so that nothing is left behind however the process
// ends; `commit` checks, flushes and syncs it and only then gives it the target's name. Until
// `commit` succeeds the target is untouched; a temporary that was not committed is removed.
// A named temporary, where the system offers no other, is removed on interruption as well
// (platform/interruption.h). A temporary that has a name, if only for the instant before it
// replaces the target, is held by its process for as long as the name stands, so that no other
// process's cleanup (removeStaleTemporariesBeside) takes it for stale.
//
// An existing target keeps its mode, and its owner and group where the process may set them. A
// symbolic link as target is followed only where the kernel's protected-symlink rule would follow
// it: not when it lies in a sticky, world-writable directory and belongs to neither the
// directory's owner nor the process's user.
class AtomicFile {
  public:
    explicit AtomicFile(std::string target);
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();

    // Creates the temporary file and its buffered stream: mode 0666 less the umask for a new
    // target, the target's own mode, owner and group for an existing one. False on failure, and
    // for an existing target that is not a regular file or that the process may not write.
    bool open();
    // The temporary's stream after a successful `open`; null otherwise.
    FILE* stream() const;
    // Fails if any write failed; otherwise flushes, syncs, closes and gives the temporary the
    // target's name, then syncs the directory, or leaves that sync to the FolderSyncs::Deferral
    // that lives on the calling thread. On failure the temporary is gone and the target is as it
    // was, except after a failed directory sync, when the target may already hold the new
    // content. `mayReplace`, when given, is asked last, just before the rename: false leaves the
    // target as it is and fails with Cause::NotReplaced. Only the instant between its look and the
    // rename is left for another program to change the target unseen.
    bool commit(const std::function<bool()>& mayReplace = {});
    // Why `open` or `commit` failed.
    const WriteFailure& failure() const;

  private:
    struct State;  // what each system keeps while a file is written
    std::unique_ptr<State> state_;
};

// The folder syncs that the saves of a batch share. A save committed while a Deferral lives on its
// thread gives its file the target's name and leaves the sync of the target's folder for later:
// the file is durable, and may be said written, only once that pending sync is settled by a sync
// of the folder begun after the rename. One sync settles every rename into its folder made before
// it began, so that files saved one after another, or on several threads, share the syncs of
// their folder. Where the system makes a replacement durable by itself (Windows), nothing is left
// pending. Safe to use from several threads; a folder with renames not settled is synced when the
// FolderSyncs is destroyed, whatever it fails with.
class FolderSyncs {
  public:
    // A save's folder sync left for later: its folder, and its rename's place among those into it.
    struct Pending {
        std::size_t folder = 0;
        uint64_t rename = 0;
    };

    // While it lives, the saves committed on its thread leave their folder's sync to `syncs`;
    // pending() is that of the last one.
    class Deferral {
      public:
        explicit Deferral(FolderSyncs& syncs);
        Deferral(const Deferral&) = delete;
        Deferral& operator=(const Deferral&) = delete;
        ~Deferral();

        const std::optional<Pending>& pending() const { return pending_; }

        // For AtomicFile::commit: the deferral living on the calling thread, or null; and what it
        // tells one after renaming a file into `folder`.
        static Deferral* current();
        void renamedInto(const std::string& folder);

      private:
        FolderSyncs& syncs_;
        Deferral* outer_;
        std::optional<Pending> pending_;
    };

    // Whether this system's saves leave their folder syncs pending under a Deferral.
    static bool leavesSyncsPending();

    FolderSyncs();
    FolderSyncs(const FolderSyncs&) = delete;
    FolderSyncs& operator=(const FolderSyncs&) = delete;
    ~FolderSyncs();

    // Settles a pending sync: syncs its folder unless a sync begun after its rename has succeeded
    // (or waits for one under way). The failure of the sync that covered it, if that failed: the
    // rename stands then, and the target may hold the new content.
    WriteFailure settle(const Pending& pending);

  private:
    struct State;
    Pending renamed(const std::string& folder);
    // Syncs the folder as a commit does; each system's own.
    static WriteFailure syncFolder(const std::string& folder);

    std::unique_ptr<State> state_;
};

// Replaces the file `path` with `content` through an AtomicFile; false when it could not, with the
// cause in *failure unless failure is null. `mayReplace` is asked as AtomicFile::commit asks it.
bool writeFileAtomically(const std::string& path, std::string_view content,
                         WriteFailure* failure = nullptr,
                         const std::function<bool()>& mayReplace = {});

// The hidden temporary files of saves are named ".morvex-PID-START-RANDOM.tmp" in hexadecimal:
// the id and start time of the process that made the file, and a random part. What tells a file
// left by a process killed at the last instant from one that a running save still needs is that
// its maker holds it: on POSIX systems an exclusive flock lock on the open file, which goes with
// the process however it ends; on Windows an open handle that lets no one else write the file.
// A process id means nothing across PID namespaces (a container and its host) or without /proc,
// so the name serves only as a second guard.

// A fresh hidden name for a temporary file of this process in the folder of `target`.
std::string temporaryNameFor(const std::string& target);

// Removes the temporary files in the folder of `target` that no process holds and whose maker,
// as far as their name tells, no longer runs. Files that cannot be examined, taken hold of at
// once or removed are left as they are. AtomicFile calls it at its first save into each folder of
// the process (firstVisitOf).
void removeStaleTemporariesBeside(const std::string& target);

// The file name (without a folder) for a temporary of the process `pid` started at `start`.
std::string temporaryFileName(uint64_t pid, uint64_t start, uint64_t random);

// The process that made a temporary, known by its name.
struct TemporaryOwner {
    uint64_t pid = 0;
    uint64_t start = 0;
};
// The maker of the file `name`; nothing when the name is not that of a temporary.
std::optional<TemporaryOwner> temporaryOwner(const std::string& name);

// True the first time it is asked of a folder in this process, so that each folder is cleaned
// of stale temporaries once.
bool firstVisitOf(const std::string& folder);
