#include "app/core/output_collisions.h"

#include <map>
#include <unordered_map>
#include <utility>

#include "app/core/conversion.h"
#include "platform/files.h"

namespace {

// The sources that write an output, found by its path and, when it exists, by its identity.
class OutputWriters {
  public:
    struct Output {
        std::string path;
        std::optional<FileIdentity> identity;
    };

    // The index of the first source that writes this output; nothing when none does yet.
    std::optional<std::size_t> find(const Output& output) const {
        if (const auto it = byPath_.find(output.path); it != byPath_.end()) {
            return it->second;
        }
        if (output.identity) {
            if (const auto it = byIdentity_.find(*output.identity); it != byIdentity_.end()) {
                return it->second;
            }
        }
        return std::nullopt;
    }

    void add(const Output& output, std::size_t source) {
        byPath_.emplace(output.path, source);
        if (output.identity) {
            byIdentity_.emplace(*output.identity, source);
        }
    }

  private:
    std::unordered_map<std::string, std::size_t> byPath_;
    std::map<FileIdentity, std::size_t> byIdentity_;
};

}  // namespace

bool overwritesItsSource(const BatchFile& file) {
    return file.output == file.source || sameExistingFile(file.source, file.output);
}

std::vector<std::optional<std::size_t>> findOutputCollisions(const std::vector<BatchFile>& files) {
    std::vector<std::optional<std::size_t>> collisions(files.size());
    std::vector<std::optional<FileIdentity>> sourceIdentities(files.size());
    OutputWriters writers;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string& source = files[i].source;
        const OutputWriters::Output output{files[i].output, fileIdentity(files[i].output)};
        sourceIdentities[i] = fileIdentity(source);
        const bool overwritesItself =
            output.path == source || (output.identity && output.identity == sourceIdentities[i]);
        if (overwritesItself) {
            continue;
        }
        const std::optional<std::size_t> writer = writers.find(output);
        if (!writer) {
            writers.add(output, i);
            continue;
        }
        const bool sameSource =
            files[*writer].source == source ||
            (sourceIdentities[i] && sourceIdentities[i] == sourceIdentities[*writer]);
        if (sameSource) {
            writers.add(output, i);  // its output may be reached by another path
        } else {
            collisions[i] = *writer;
        }
    }
    return collisions;
}
