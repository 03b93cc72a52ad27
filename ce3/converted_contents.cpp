#include "ce3/converted_contents.h"

#include <array>
#include <bit>
#include <cerrno>
#include <climits>
#include <cstring>
#include <iterator>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "ce3/ce3_reader.h"
#include "ce3/record_names.h"

namespace {

enum class ValueForm : uint8_t {
    Integer,  // as %d writes an int
    Text,     // any bytes but NUL
    Styles    // letters of "BIUS" in that order, each at most once
};

// A field of a record: its key, the form of its value, and the bytes "KEY:" as they lie in memory
// in a 32-bit word, so that the key of a field as written is checked with one comparison.
struct FieldForm {
    consteval FieldForm(std::string_view fieldKey, ValueForm valueForm)
        : key(fieldKey), form(valueForm) {
        if (key.empty() || key.size() > 3) {
            throw "a key has one to three bytes";
        }
        for (std::size_t i = 0; i <= key.size(); ++i) {
            const uint32_t byte = i < key.size() ? static_cast<unsigned char>(key[i]) : ':';
            const std::size_t shift =
                std::endian::native == std::endian::little ? 8 * i : 24 - 8 * i;
            prefix |= byte << shift;
            mask |= uint32_t{0xFF} << shift;
        }
    }

    std::string_view key;
    ValueForm form;
    uint32_t prefix = 0;
    uint32_t mask = 0;
};

// A record a conversion writes, with its fields in the order it writes them.
struct RecordForm {
    const Ce3RecordName* name;
    std::span<const FieldForm> fields;
};

constexpr ValueForm kInt = ValueForm::Integer;
constexpr ValueForm kText = ValueForm::Text;

constexpr FieldForm kSheetInfoFields[] = {{"EL", kInt}, {"VL", kInt}, {"W", kInt}, {"H", kInt}};
constexpr FieldForm kPointFields[] = {{"L", kInt}, {"X", kInt}, {"Y", kInt}};
constexpr FieldForm kLineFields[] = {
    {"L", kInt}, {"X1", kInt}, {"Y1", kInt}, {"X2", kInt}, {"Y2", kInt}};
constexpr FieldForm kLabelFields[] = {
    {"L", kInt}, {"X", kInt}, {"Y", kInt}, {"D", kInt}, {"S", kText}};
constexpr FieldForm kTagFields[] = {{"L", kInt}, {"X", kInt}, {"Y", kInt},
                                    {"D", kInt}, {"T", kInt}, {"S", kText}};
constexpr FieldForm kCommentFields[] = {{"L", kInt},
                                        {"X", kInt},
                                        {"Y", kInt},
                                        {"S", kText},
                                        {"FN", kText},
                                        {"FS", kInt},
                                        {"FF", ValueForm::Styles}};
constexpr FieldForm kComponentFields[] = {
    {"L", kInt},  {"X", kInt},  {"Y", kInt},  {"LIB", kText}, {"DIR", kInt}, {"BLK", kInt},
    {"N", kText}, {"NX", kInt}, {"NY", kInt}, {"R", kText},   {"RX", kInt},  {"RY", kInt}};

constexpr std::array kRecordForms = {
    RecordForm{&kCe3SheetInfo, kSheetInfoFields},
    RecordForm{&kCe3Wire, kLineFields},
    RecordForm{&kCe3Junction, kPointFields},
    RecordForm{&kCe3Bus, kLineFields},
    RecordForm{&kCe3Entry, kLineFields},
    RecordForm{&kCe3BusEntry, kLineFields},
    RecordForm{&kCe3Dash, kLineFields},
    RecordForm{&kCe3Label, kLabelFields},
    RecordForm{&kCe3Tag, kTagFields},
    RecordForm{&kCe3Component, kComponentFields},
    RecordForm{&kCe3Comment, kCommentFields},
};

// Each field is a bit of a 32-bit mask.
static_assert(std::size(kComponentFields) < 32);

// The record that `opener` opens, found by its first letter: one is looked up for every record.
const RecordForm* recordFormOf(std::string_view opener) {
    static constexpr auto kByLetter = [] {
        std::array<std::array<const RecordForm*, 2>, 26> table{};
        for (const RecordForm& form : kRecordForms) {
            auto& slots = table[static_cast<std::size_t>(form.name->open()[1] - 'A')];
            if (slots[1] != nullptr) {
                throw "more than two records share a first letter";
            }
            slots[slots[0] == nullptr ? 0 : 1] = &form;
        }
        return table;
    }();
    if (opener.size() < 2 || opener[0] != '+' || opener[1] < 'A' || opener[1] > 'Z') {
        return nullptr;
    }
    for (const RecordForm* form : kByLetter[static_cast<std::size_t>(opener[1] - 'A')]) {
        if (form != nullptr && form->name->open() == opener) {
            return form;
        }
    }
    return nullptr;
}

// Whether the bytes at `p` begin with `s`; short texts, compared without a call.
bool bytesBegin(const char* p, std::string_view s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (p[i] != s[i]) {
            return false;
        }
    }
    return true;
}

// Whether ten digits are no more than an int holds.
bool fitsInt(std::string_view digits, bool negative) {
    return digits <= (negative ? "2147483648" : "2147483647");
}

// The length of the integer as %d writes it that starts at `begin`, at most `limit` bytes; 0 when
// none starts there.
inline std::size_t writtenIntegerLength(const char* begin, std::size_t limit) {
    const std::size_t first = limit > 0 && begin[0] == '-' ? 1 : 0;
    std::size_t n = first;
    while (n != limit && static_cast<unsigned char>(begin[n] - '0') < 10) {
        ++n;
    }
    const std::size_t digits = n - first;
    if (digits == 0 || (begin[first] == '0' && (digits > 1 || first == 1))) {
        return 0;
    }
    if (digits < 10) {
        return n;
    }
    return digits == 10 && fitsInt(std::string_view(begin + first, digits), first == 1) ? n : 0;
}

bool isWrittenInteger(std::string_view value) {
    return !value.empty() && writtenIntegerLength(value.data(), value.size()) == value.size();
}

bool isWrittenStyles(std::string_view value) {
    constexpr std::string_view kStyles = "BIUS";
    std::size_t at = 0;
    for (const char c : value) {
        at = kStyles.find(c, at);
        if (at == std::string_view::npos) {
            return false;
        }
        ++at;
    }
    return true;
}

bool isWrittenValue(ValueForm form, std::string_view value) {
    switch (form) {
        case ValueForm::Integer:
            return isWrittenInteger(value);
        case ValueForm::Styles:
            return isWrittenStyles(value);
        case ValueForm::Text:
            break;
    }
    return true;  // a NUL in a text has been found by the scanner
}

int hexDigit(int c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// Cuts a stream into tokens as Ce3Reader does (blanks skipped before a token, a comma or line end
// after it, percent escapes decoded), and tells apart what Ce3Reader takes alike for the end of
// its input: a NUL byte, a broken escape, a token that the end cuts, a read error.
class TokenScanner {
  public:
    enum class Result {
        Token,
        End,           // the input ends before a token starts
        NulByte,       // a NUL byte in a token or where one starts
        BrokenEscape,  // a line end or comma among the two bytes after a percent sign
        OddEscape,     // two bytes after a percent sign that a writer does not make
        CutEscape,     // the input ends among the two bytes after a percent sign
        ReadFailed
    };

    // The block lies on the heap: the page's workers run on small stacks.
    explicit TokenScanner(FILE* stream)
        : stream_(stream), block_(std::make_unique<char[]>(kBlockBytes)) {}
    TokenScanner(const TokenScanner&) = delete;
    TokenScanner& operator=(const TokenScanner&) = delete;

    // Whether the input starts with `bytes`, read before any token.
    bool startsWith(std::string_view bytes) {
        if (end_ == 0) {
            refill();
        }
        return end_ >= bytes.size() && std::memcmp(block_.get(), bytes.data(), bytes.size()) == 0;
    }

    // The next token, decoded, in `token` until the next call. Most tokens lie whole in the block
    // without an escape, and are taken here without a copy.
    Result next(std::string_view& token) {
        for (;;) {
            if (pos_ == end_ && !refill()) {
                line_ = lastLine();
                return failed_ ? Result::ReadFailed : Result::End;
            }
            const auto c = static_cast<unsigned char>(block_[pos_]);
            if (!kBlank[c]) {
                break;
            }
            if (c == '\n') {
                countLine();
            }
            ++pos_;
        }
        line_ = lineCount_;
        const char* const begin = block_.get() + pos_;
        const std::size_t n = plainRun(begin, end_ - pos_);
        if (n < end_ - pos_ && isCe3Delimiter(static_cast<unsigned char>(begin[n]))) {
            token = std::string_view(begin, n);
            pos_ += n + 1;
            if (begin[n] == '\n') {
                countLine();
            }
            cutByEnd_ = false;
            return Result::Token;
        }
        assembled_.assign(begin, n);
        pos_ += n;
        return assemble(token);
    }

    // The line of the last token or of what ended the last call; at the end of input the last
    // line holding a byte.
    int32_t line() const { return line_; }
    // Whether the end of input, not a delimiter, ended the last token.
    bool cutByEnd() const { return cutByEnd_; }
    int error() const { return error_; }

    // Takes the field key:value when it comes next as the writer writes it (no blank before it,
    // whole in the block) with its value in the field's form, and says so; else takes nothing, and
    // next() reads it. Most fields of a converted file pass here with one look at each byte.
    bool takeField(const FieldForm& field) {
        const char* const begin = block_.get() + pos_;
        const std::size_t available = end_ - pos_;
        if (available < 5) {
            return false;
        }
        uint32_t word = 0;
        std::memcpy(&word, begin, sizeof word);
        if ((word & field.mask) != field.prefix) {
            return false;
        }
        const char* const value = begin + field.key.size() + 1;
        const std::size_t room = available - field.key.size() - 1;
        std::size_t n = room;
        switch (field.form) {
            case ValueForm::Integer:
                n = writtenIntegerLength(value, room);
                if (n == 0) {
                    return false;
                }
                break;
            case ValueForm::Text:
                n = writtenTextRun(value, room);
                break;
            case ValueForm::Styles:
                n = plainRun(value, room);
                if (!isWrittenStyles(std::string_view(value, n))) {
                    return false;
                }
                break;
        }
        if (n == room || !isCe3Delimiter(static_cast<unsigned char>(value[n]))) {
            return false;
        }
        takeUpTo(value + n);
        return true;
    }

    // Takes `token` when it comes next, whole in the block with a delimiter after it.
    bool takeToken(std::string_view token) {
        const char* const begin = block_.get() + pos_;
        if (end_ - pos_ <= token.size() || !bytesBegin(begin, token) ||
            !isCe3Delimiter(static_cast<unsigned char>(begin[token.size()]))) {
            return false;
        }
        takeUpTo(begin + token.size());
        return true;
    }

  private:
    static constexpr std::size_t kBlockBytes = 65536;
    static constexpr std::array<bool, 256> kBlank = [] {
        std::array<bool, 256> table{};
        table[' '] = table['\t'] = table['\n'] = table['\r'] = true;
        return table;
    }();
    // Bytes that end a run of plain token bytes.
    static constexpr std::array<bool, 256> kSpecial = [] {
        std::array<bool, 256> table{};
        table[','] = table['\n'] = table['\r'] = table['%'] = table[0] = true;
        return table;
    }();

    static std::size_t plainRun(const char* begin, std::size_t limit) {
        std::size_t n = 0;
        while (n != limit && !kSpecial[static_cast<unsigned char>(begin[n])]) {
            ++n;
        }
        return n;
    }

    // The bytes of a text with the escapes the writer makes (two hexadecimal digits, not 00), up
    // to the first other special byte, at most `limit`; `limit` when an escape is not one of
    // those or does not lie whole within it.
    static std::size_t writtenTextRun(const char* begin, std::size_t limit) {
        std::size_t n = 0;
        for (;;) {
            n += plainRun(begin + n, limit - n);
            if (n == limit || begin[n] != '%') {
                return n;
            }
            if (limit - n < 3) {
                return limit;
            }
            const int high = hexDigit(static_cast<unsigned char>(begin[n + 1]));
            const int low = hexDigit(static_cast<unsigned char>(begin[n + 2]));
            if (high < 0 || low < 0 || (high == 0 && low == 0)) {
                return limit;
            }
            n += 3;
        }
    }

    // Takes the bytes up to `delimiter` and the delimiter.
    void takeUpTo(const char* delimiter) {
        pos_ = static_cast<std::size_t>(delimiter - block_.get()) + 1;
        if (*delimiter == '\n') {
            countLine();
        }
        cutByEnd_ = false;
    }

    void countLine() {
        if (lineCount_ < INT32_MAX) {
            ++lineCount_;
        }
    }

    int32_t lastLine() const {
        return lastByte_ == '\n' && lineCount_ > 1 ? lineCount_ - 1 : lineCount_;
    }

    bool refill() {
        if (end_ > 0) {
            lastByte_ = block_[end_ - 1];
        }
        pos_ = 0;
        errno = 0;
        end_ = std::fread(block_.get(), 1, kBlockBytes, stream_);
        if (end_ == 0 && std::ferror(stream_) != 0) {
            failed_ = true;
            error_ = errno != 0 ? errno : EIO;
        }
        return end_ > 0;
    }

    // The next byte, or -1 at the end of input.
    int nextByte() {
        if (pos_ == end_ && !refill()) {
            return -1;
        }
        return static_cast<unsigned char>(block_[pos_++]);
    }

    // The rest of a token that crosses the end of the block or holds an escape, decoded into
    // assembled_, which holds its first bytes.
    Result assemble(std::string_view& token) {
        for (;;) {
            if (pos_ == end_ && !refill()) {
                if (failed_) {
                    return Result::ReadFailed;
                }
                token = assembled_;
                cutByEnd_ = true;
                return Result::Token;
            }
            const std::size_t n = plainRun(block_.get() + pos_, end_ - pos_);
            assembled_.append(block_.get() + pos_, n);
            pos_ += n;
            if (pos_ == end_) {
                continue;
            }
            const auto c = static_cast<unsigned char>(block_[pos_++]);
            if (isCe3Delimiter(c)) {
                if (c == '\n') {
                    countLine();
                }
                token = assembled_;
                cutByEnd_ = false;
                return Result::Token;
            }
            if (c == 0) {
                line_ = lineCount_;
                return Result::NulByte;
            }
            const Result escaped = decodeEscape();
            if (escaped != Result::Token) {
                return escaped;
            }
        }
    }

    // The two bytes after a percent sign, as the writer makes them: two hexadecimal digits of a
    // byte other than NUL, appended to assembled_.
    Result decodeEscape() {
        int digits[2];
        for (int& digit : digits) {
            const int c = nextByte();
            if (c < 0) {
                line_ = lineCount_;
                return failed_ ? Result::ReadFailed : Result::CutEscape;
            }
            if (c == 0) {
                line_ = lineCount_;
                return Result::NulByte;
            }
            if (isCe3Delimiter(c)) {
                line_ = lineCount_;
                return Result::BrokenEscape;
            }
            digit = hexDigit(c);
        }
        if (digits[0] < 0 || digits[1] < 0 || (digits[0] == 0 && digits[1] == 0)) {
            line_ = lineCount_;
            return Result::OddEscape;
        }
        assembled_.push_back(static_cast<char>(digits[0] * 16 + digits[1]));
        return Result::Token;
    }

    FILE* stream_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    int32_t lineCount_ = 1;  // the line of the next byte
    int32_t line_ = 1;
    bool cutByEnd_ = false;
    bool failed_ = false;
    int error_ = 0;
    char lastByte_ = '\0';  // of the blocks before the current one
    std::unique_ptr<char[]> block_;
    std::string assembled_;
};

using Result = TokenScanner::Result;

ContentsCheck found(ContentsFinding finding, int32_t line) {
    return {finding, line, 0};
}

// What a scanner's result other than a token says about the file.
ContentsCheck findingOf(Result result, const TokenScanner& scanner) {
    switch (result) {
        case Result::Token:
            break;
        case Result::End:
        case Result::CutEscape:
            return found(ContentsFinding::CutShort, scanner.line());
        case Result::NulByte:
            return found(ContentsFinding::NulBytes, scanner.line());
        case Result::BrokenEscape:
            return found(ContentsFinding::BrokenEscape, scanner.line());
        case Result::OddEscape:
            return found(ContentsFinding::UnwrittenValue, scanner.line());
        case Result::ReadFailed:
            return {ContentsFinding::ReadError, scanner.line(), scanner.error()};
    }
    return {};
}

// The fields of a record after its opener, up to its closer.
ContentsCheck checkFields(TokenScanner& scanner, const RecordForm& record, int32_t recordLine) {
    const std::span<const FieldForm> fields = record.fields;
    const uint32_t all = (uint32_t{1} << fields.size()) - 1;
    std::size_t expected = 0;  // the field that comes next in order
    // Most records are written as a conversion writes them: taken field by field, in one pass.
    while (expected < fields.size() && scanner.takeField(fields[expected])) {
        ++expected;
    }
    uint32_t seen = (uint32_t{1} << expected) - 1;
    if (seen == all && scanner.takeToken(record.name->close())) {
        return {};
    }
    int32_t misordered = 0;  // the line of the first field out of order
    std::string_view token;
    for (;;) {
        const Result result = scanner.next(token);
        if (result != Result::Token) {
            return findingOf(result, scanner);
        }
        if (scanner.cutByEnd()) {
            return found(ContentsFinding::CutShort, scanner.line());
        }
        if (token == record.name->close()) {
            if (seen != all) {
                return found(ContentsFinding::MissingField, recordLine);
            }
            if (misordered != 0) {
                return found(ContentsFinding::MisorderedField, misordered);
            }
            return {};
        }
        const std::size_t colon = token.find(':');
        if (colon == std::string_view::npos) {
            // The next record, or the closing line, where the closer belongs.
            const bool opensNext = recordFormOf(token) != nullptr || token == kCe3Magic.close();
            return opensNext ? found(ContentsFinding::MissingField, recordLine)
                             : found(ContentsFinding::UnknownField, scanner.line());
        }
        const std::string_view key = token.substr(0, colon);
        std::size_t index = expected;
        if (index >= fields.size() || fields[index].key != key) {
            index = 0;
            while (index < fields.size() && fields[index].key != key) {
                ++index;
            }
        }
        const uint32_t bit = uint32_t{1} << index;
        if (index == fields.size() || (seen & bit) != 0) {
            return found(ContentsFinding::UnknownField, scanner.line());
        }
        if (index != expected && misordered == 0) {
            misordered = scanner.line();
        }
        if (!isWrittenValue(fields[index].form, token.substr(colon + 1))) {
            return found(ContentsFinding::UnwrittenValue, scanner.line());
        }
        seen |= bit;
        expected = index + 1;
    }
}

// After the closing line: nothing but blanks.
ContentsCheck checkAfterClosingLine(TokenScanner& scanner) {
    std::string_view token;
    switch (const Result result = scanner.next(token)) {
        case Result::End:
            return {};
        case Result::NulByte:
        case Result::ReadFailed:
            return findingOf(result, scanner);
        default:
            return found(ContentsFinding::AfterClosingLine, scanner.line());
    }
}

}  // namespace

ContentsCheck checkConvertedContents(FILE* stream) {
    TokenScanner scanner(stream);
    if (scanner.startsWith("\xEF\xBB\xBF")) {
        return found(ContentsFinding::ByteOrderMark, 1);
    }
    std::string_view token;
    Result result = scanner.next(token);
    if (result != Result::Token || token != kCe3Magic.open() || scanner.cutByEnd()) {
        if (result == Result::NulByte || result == Result::ReadFailed) {
            return findingOf(result, scanner);
        }
        // The magic line itself cut short.
        const bool cut =
            result == Result::Token && scanner.cutByEnd() && kCe3Magic.open().starts_with(token);
        return found(cut ? ContentsFinding::CutShort : ContentsFinding::NotCe3, scanner.line());
    }
    bool sheetInfoRead = false;
    for (;;) {
        result = scanner.next(token);
        if (result != Result::Token) {
            return findingOf(result, scanner);
        }
        const int32_t line = scanner.line();
        if (token == kCe3Magic.close()) {
            return sheetInfoRead ? checkAfterClosingLine(scanner)
                                 : found(ContentsFinding::NoSheetInfo, line);
        }
        if (scanner.cutByEnd()) {
            return found(ContentsFinding::CutShort, line);
        }
        const RecordForm* record = recordFormOf(token);
        if (record == nullptr) {
            return found(ContentsFinding::EditorRecord, line);
        }
        if (record->name == &kCe3SheetInfo) {
            if (sheetInfoRead) {
                return found(ContentsFinding::SecondSheetInfo, line);
            }
            sheetInfoRead = true;
        } else if (!sheetInfoRead) {
            return found(ContentsFinding::NoSheetInfo, line);
        }
        const ContentsCheck fields = checkFields(scanner, *record, line);
        if (fields.finding != ContentsFinding::Converted) {
            return fields;
        }
    }
}
