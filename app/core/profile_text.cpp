#include "app/core/profile_text.h"

#include "platform/text.h"

namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isProfileBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isProfileBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

enum class LineKind { Other, Section, Comment, Key };

// One line of the text, as offsets into it.
struct Line {
    std::size_t end = 0;   // end of the content, before CR LF or LF
    std::size_t next = 0;  // start of the next line; end when the line has no line end
    LineKind kind = LineKind::Other;
    std::string_view name;  // of a section or a key
    std::size_t valueBegin = 0;
    std::size_t valueEnd = 0;  // a key's value without surrounding blanks
};

// Walks the lines of a profile text one by one.
class LineReader {
  public:
    explicit LineReader(std::string_view text) : text_(text) {}

    bool next(Line& line) {
        if (pos_ >= text_.size()) {
            return false;
        }
        const std::size_t begin = pos_;
        const std::size_t lf = text_.find('\n', begin);
        if (lf == std::string_view::npos) {
            line.end = line.next = text_.size();
        } else {
            line.end = lf > begin && text_[lf - 1] == '\r' ? lf - 1 : lf;
            line.next = lf + 1;
        }
        pos_ = line.next;
        classify(begin, line);
        return true;
    }

  private:
    void classify(std::size_t begin, Line& line) {
        const std::string_view content = text_.substr(begin, line.end - begin);
        std::size_t first = 0;
        while (first < content.size() && isProfileBlank(content[first])) {
            ++first;
        }
        line.kind = LineKind::Other;
        line.name = {};
        if (first == content.size()) {
            return;
        }
        if (content[first] == '[') {
            const std::size_t close = content.find(']', first + 1);
            if (close != std::string_view::npos) {
                line.kind = LineKind::Section;
                line.name = trimmed(content.substr(first + 1, close - first - 1));
                inSection_ = true;
                return;
            }
        } else if (content[first] == ';') {
            line.kind = LineKind::Comment;
            return;
        }
        const std::size_t equals = content.find('=');
        if (!inSection_ || equals == std::string_view::npos) {
            return;
        }
        line.kind = LineKind::Key;
        line.name = trimmed(content.substr(0, equals));
        line.valueBegin = begin + equals + 1;
        while (line.valueBegin < line.end && isProfileBlank(text_[line.valueBegin])) {
            ++line.valueBegin;
        }
        line.valueEnd = line.end;
        while (line.valueEnd > line.valueBegin && isProfileBlank(text_[line.valueEnd - 1])) {
            --line.valueEnd;
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    bool inSection_ = false;
};

// The line end that lines added to the text get: that of its first line.
std::string_view lineEndOf(std::string_view text) {
    const std::size_t lf = text.find('\n');
    if (lf != std::string_view::npos && (lf == 0 || text[lf - 1] != '\r')) {
        return "\n";
    }
    return "\r\n";
}

}  // namespace

bool isProfileBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::optional<std::string> profileValue(std::string_view text, std::string_view section,
                                        std::string_view key) {
    LineReader reader(text);
    Line line;
    bool inSection = false;
    while (reader.next(line)) {
        if (line.kind == LineKind::Section) {
            if (inSection) {
                return std::nullopt;
            }
            inSection = equalIgnoringAsciiCase(line.name, section);
        } else if (inSection && line.kind == LineKind::Key &&
                   equalIgnoringAsciiCase(line.name, key)) {
            std::string_view value = text.substr(line.valueBegin, line.valueEnd - line.valueBegin);
            value = trimmed(value.substr(0, value.find('\0')));
            return std::string(value);
        }
    }
    return std::nullopt;
}

std::string withProfileValue(std::string_view text, std::string_view section, std::string_view key,
                             std::string_view value) {
    LineReader reader(text);
    Line line;
    bool sectionFound = false;
    Line anchor;  // the line after which a missing key goes
    while (reader.next(line)) {
        if (line.kind == LineKind::Section) {
            if (sectionFound) {
                break;
            }
            sectionFound = equalIgnoringAsciiCase(line.name, section);
            anchor = line;
        } else if (sectionFound && line.kind == LineKind::Key) {
            if (equalIgnoringAsciiCase(line.name, key)) {
                std::string out(text.substr(0, line.valueBegin));
                out += value;
                out += text.substr(line.valueEnd);
                return out;
            }
            anchor = line;
        }
    }

    const std::string_view lineEnd = lineEndOf(text);
    std::string added;
    if (!sectionFound) {
        added.append("[").append(section).append("]").append(lineEnd);
    }
    added.append(key).append("=").append(value).append(lineEnd);

    const std::size_t at = sectionFound ? anchor.next : text.size();
    std::string out(text.substr(0, at));
    if (!out.empty() && out.back() != '\n') {
        out += lineEnd;
    }
    out += added;
    out += text.substr(at);
    return out;
}

bool fitsProfileLine(std::string_view section, std::string_view key, std::string_view value) {
    const auto oneLine = [](std::string_view s) {
        return s.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
    };
    const auto isName = [&](std::string_view s) {
        return !s.empty() && trimmed(s).size() == s.size() && oneLine(s);
    };
    return isName(section) && isName(key) && oneLine(value) &&
           section.find(']') == std::string_view::npos && key.find('=') == std::string_view::npos &&
           key.front() != '[' && key.front() != ';';
}
