#include "app/core/shared_files.h"

#include <algorithm>
#include <map>
#include <utility>

#include "app/core/conversion_pool.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace {

std::string foldedAscii(std::string_view text) {
    std::string folded(text);
    std::transform(folded.begin(), folded.end(), folded.begin(), asciiLower);
    return folded;
}

// The entries of a batch that last read or wrote each file, the file known by every name found
// for it. A name that differs from another only in the case of ASCII letters is taken as the same
// file: at worst two files are converted one after the other that could have gone at once.
class LastUsers {
  public:
    // Notes that `entry` uses the file at path, and adds the entries that used it before.
    void use(const std::string& path, std::size_t entry, std::vector<std::size_t>& earlier) {
        note(byPath_, foldedAscii(path), entry, earlier);
        if (const std::optional<FileIdentity> identity = fileIdentity(path)) {
            note(byIdentity_, *identity, entry, earlier);
        }
        // A file not there yet may be named through other paths of its folder.
        const std::size_t nameStart = finalComponentStart(path);
        const std::string folder = nameStart == 0 ? "." : path.substr(0, nameStart);
        if (const std::optional<FileIdentity> folderIdentity = identityOfFolder(folder)) {
            note(byFolderEntry_, {*folderIdentity, foldedAscii(path.substr(nameStart))}, entry,
                 earlier);
        }
    }

  private:
    template <typename Key>
    static void note(std::map<Key, std::size_t>& users, Key key, std::size_t entry,
                     std::vector<std::size_t>& earlier) {
        const auto [it, first] = users.try_emplace(std::move(key), entry);
        if (!first && it->second != entry) {
            earlier.push_back(std::exchange(it->second, entry));
        }
    }

    std::optional<FileIdentity> identityOfFolder(const std::string& folder) {
        const auto [it, first] = folders_.try_emplace(folder);
        if (first) {
            it->second = fileIdentity(folder);
        }
        return it->second;
    }

    std::map<std::string, std::size_t> byPath_;
    std::map<FileIdentity, std::size_t> byIdentity_;
    std::map<std::pair<FileIdentity, std::string>, std::size_t> byFolderEntry_;
    std::map<std::string, std::optional<FileIdentity>> folders_;
};

}  // namespace

std::vector<std::vector<std::size_t>> findSharedFiles(const std::vector<BatchFile>& files,
                                                      const std::vector<bool>& untouched) {
    std::vector<std::vector<std::size_t>> after(files.size());
    LastUsers users;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (untouched[i]) {
            continue;
        }
        users.use(files[i].source, i, after[i]);
        users.use(files[i].output, i, after[i]);
        std::sort(after[i].begin(), after[i].end());
        after[i].erase(std::unique(after[i].begin(), after[i].end()), after[i].end());
    }
    return after;
}
