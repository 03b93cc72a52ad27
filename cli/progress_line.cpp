#include "cli/progress_line.h"

#include <algorithm>
#include <ostream>
#include <utility>

#include "platform/text.h"

namespace {

constexpr int kUnknownColumns = 80;
constexpr char kShortened[] = "...";

bool continuesCharacter(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The text cut to at most width bytes, its start given up first (the end says what happens) and
// never inside a UTF-8 character.
std::string fitted(const std::string& text, std::size_t width) {
    if (text.size() <= width) {
        return text;
    }
    const std::size_t keep = width > sizeof kShortened ? width - (sizeof kShortened - 1) : 0;
    std::size_t start = text.size() - keep;
    while (start < text.size() && continuesCharacter(text[start])) {
        ++start;
    }
    return kShortened + text.substr(start);
}

}  // namespace

std::string progressText(const BatchFile& file, FileStage stage, uint64_t done, uint64_t total) {
    const auto percent =
        static_cast<unsigned long long>(total == 0 ? 0 : std::min(done, total) * 100 / total);
    const std::string& source = file.source;
    const std::string& output = file.output;
    switch (stage) {
        case FileStage::Reading:
            return source + ": " + formatted(translated("reading %llu%%"), percent);
        case FileStage::Writing:
            return source + ": " +
                   formatted(translated("writing %s %llu%%"), output.c_str(), percent);
    }
    return source;
}

ProgressLine::ProgressLine(std::ostream& out, int columns, Clock clock,
                           std::chrono::milliseconds delay)
    // One column stays free: a line that fills the last one would wrap on some terminals.
    : out_(out),
      width_(static_cast<std::size_t>(columns > 1 ? columns : kUnknownColumns) - 1),
      clock_(std::move(clock)),
      delay_(delay) {}

void ProgressLine::update(std::size_t index, const BatchFile& file, FileStage stage, uint64_t done,
                          uint64_t total) {
    const auto now = clock_();
    if (index != index_) {
        index_ = index;
        fileStart_ = now;
    }
    if (now - fileStart_ >= delay_) {
        show(fitted(progressText(file, stage, done, total), width_));
    }
}

void ProgressLine::show(const std::string& text) {
    if (text == shown_) {
        return;
    }
    // Spaces cover what the longer line before showed.
    const std::size_t cover = shown_.size() > text.size() ? shown_.size() - text.size() : 0;
    out_ << '\r' << text << std::string(cover, ' ') << std::flush;
    shown_ = text;
}

void ProgressLine::clear() {
    if (!shown_.empty()) {
        out_ << '\r' << std::string(shown_.size(), ' ') << '\r' << std::flush;
        shown_.clear();
    }
}
