#include <map>
#include <unordered_map>
#include <utility>

#include "app/core/conversion.h"
#include "platform/same_file.h"

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

std::vector<std::optional<std::size_t>> findOutputCollisions(
    const std::vector<std::string>& sources) {
    std::vector<std::optional<std::size_t>> collisions(sources.size());
    std::vector<std::optional<FileIdentity>> sourceIdentities(sources.size());
    OutputWriters writers;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const std::string& source = sources[i];
        std::string outputPath = makeCe3Path(source);
        std::optional<FileIdentity> outputIdentity = fileIdentity(outputPath);
        const OutputWriters::Output output{std::move(outputPath), outputIdentity};
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
            sources[*writer] == source ||
            (sourceIdentities[i] && sourceIdentities[i] == sourceIdentities[*writer]);
        if (sameSource) {
            writers.add(output, i);  // its output may be reached by another path
        } else {
            collisions[i] = *writer;
        }
    }
    return collisions;
}
