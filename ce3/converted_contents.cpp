#include "ce3/converted_contents.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstring>
#include <iterator>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "ce3/ce3_reader.h"
#include "ce3/record_names.h"

namespace {

enum class ValueForm : uint8_t {
    Integer,  // as %d writes an int
    Text,     // any bytes but NUL
    Styles    // letters of "BIUS" in that order, each at most once
};

constexpr bool kLittleEndian = std::endian::native == std::endian::little;

// Up to 16 bytes as they lie in memory, in two 64-bit words, with the masks of the bytes that
// count: bytes as written are compared with them in two loads.
class WrittenBytes {
  public:
    consteval WrittenBytes(std::string_view bytes, std::string_view more = {}) {
        if (bytes.size() + more.size() > 16) {
            throw "at most 16 bytes";
        }
        for (std::size_t i = 0; i < bytes.size() + more.size(); ++i) {
            const auto byte =
                static_cast<unsigned char>(i < bytes.size() ? bytes[i] : more[i - bytes.size()]);
            const std::size_t shift = kLittleEndian ? 8 * (i % 8) : 56 - 8 * (i % 8);
            words_[i / 8] |= uint64_t{byte} << shift;
            masks_[i / 8] |= uint64_t{0xFF} << shift;
        }
    }

    // Whether the bytes at p begin with these; p has 16 bytes after it.
    bool begin(const char* p) const {
        uint64_t first = 0;
        uint64_t second = 0;
        std::memcpy(&first, p, sizeof first);
        std::memcpy(&second, p + 8, sizeof second);
        return (((first & masks_[0]) ^ words_[0]) | ((second & masks_[1]) ^ words_[1])) == 0;
    }

  private:
    uint64_t words_[2] = {};
    uint64_t masks_[2] = {};
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
            const std::size_t shift = kLittleEndian ? 8 * i : 24 - 8 * i;
            prefix |= byte << shift;
            mask |= uint32_t{0xFF} << shift;
        }
    }

    // Whether the bytes at p, four of them at least, begin with "KEY:".
    bool keyAt(const char* p) const {
        uint32_t word = 0;
        std::memcpy(&word, p, sizeof word);
        return (word & mask) == prefix;
    }

    std::string_view key;
    ValueForm form;
    uint32_t prefix = 0;
    uint32_t mask = 0;
};

// A record a conversion writes, with its fields in the order it writes them, and its opener with
// the comma after it and its closer as bytes to compare.
struct RecordForm {
    consteval RecordForm(const Ce3RecordName& recordName, std::span<const FieldForm> recordFields)
        : name(&recordName),
          fields(recordFields),
          opener(recordName.open(), ","),
          closer(recordName.close()) {}

    const Ce3RecordName* name;
    std::span<const FieldForm> fields;
    WrittenBytes opener;
    WrittenBytes closer;
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
    RecordForm{kCe3SheetInfo, kSheetInfoFields},
    RecordForm{kCe3Wire, kLineFields},
    RecordForm{kCe3Junction, kPointFields},
    RecordForm{kCe3Bus, kLineFields},
    RecordForm{kCe3Entry, kLineFields},
    RecordForm{kCe3BusEntry, kLineFields},
    RecordForm{kCe3Dash, kLineFields},
    RecordForm{kCe3Label, kLabelFields},
    RecordForm{kCe3Tag, kTagFields},
    RecordForm{kCe3Component, kComponentFields},
    RecordForm{kCe3Comment, kCommentFields},
};

// Each field is a bit of a 32-bit mask.
static_assert(std::size(kComponentFields) < 32);

// The records by the letter after the plus sign of their opener: one is looked up for every
// record.
using RecordsOfLetter = std::array<const RecordForm*, 2>;
constexpr auto kRecordsByLetter = [] {
    std::array<RecordsOfLetter, 26> table{};
    for (const RecordForm& form : kRecordForms) {
        auto& slots = table[static_cast<std::size_t>(form.name->open()[1] - 'A')];
        if (slots[1] != nullptr) {
            throw "more than two records share a first letter";
        }
        slots[slots[0] == nullptr ? 0 : 1] = &form;
    }
    return table;
}();

// The record that `opener` opens.
const RecordForm* recordFormOf(std::string_view opener) {
    if (opener.size() < 2 || opener[0] != '+' || opener[1] < 'A' || opener[1] > 'Z') {
        return nullptr;
    }
    for (const RecordForm* form : kRecordsByLetter[static_cast<std::size_t>(opener[1] - 'A')]) {
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

constexpr uint64_t kEveryByte = 0x0101010101010101;
constexpr uint64_t kHighBits = 0x8080808080808080;

// Past the comma after an int as %d writes it at `p`, with 12 bytes from `p`; null for anything
// else.
inline const char* pastAnyWrittenInteger(const char* p) {
    const std::size_t n = writtenIntegerLength(p, 12);
    return n != 0 && p[n] == ',' ? p + n + 1 : nullptr;
}

// The same, the bytes from `p` in `word` (little-endian, zeros past those it holds): the digits of
// most numbers are found in it. In the bytes less '0', the first byte that is not a digit is the
// lowest whose top bit is set in them or in them plus 0x76 (no borrow or carry reaches a byte
// below it).
inline const char* pastWrittenInteger(const char* p, uint64_t word) {
    const uint64_t offsets = word - '0' * kEveryByte;
    const uint64_t others = (offsets | (offsets + 0x76 * kEveryByte)) & kHighBits;
    const auto n = static_cast<std::size_t>(std::countr_zero(others)) / 8;
    if (n == 0 || p[n] != ',') {
        return pastAnyWrittenInteger(p);  // a sign, no digit, or more digits than the word holds
    }
    return (word & 0xFF) != '0' || n == 1 ? p + n + 1 : nullptr;
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

// The value of each hexadecimal digit; -1 for any other byte.
constexpr std::array<int8_t, 256> kHexValue = [] {
    std::array<int8_t, 256> table{};
    for (std::size_t c = 0; c < table.size(); ++c) {
        table[c] = c >= '0' && c <= '9'   ? static_cast<int8_t>(c - '0')
                   : c >= 'A' && c <= 'F' ? static_cast<int8_t>(c - 'A' + 10)
                   : c >= 'a' && c <= 'f' ? static_cast<int8_t>(c - 'a' + 10)
                                          : int8_t{-1};
    }
    return table;
}();

int hexDigit(int c) {
    return kHexValue[static_cast<unsigned char>(c)];
}

// Whether the two bytes after a percent sign are an escape the writer makes: two hexadecimal
// digits of a byte other than NUL.
bool isWrittenEscape(const char* digits) {
    const int high = hexDigit(digits[0]);
    const int low = hexDigit(digits[1]);
    return high >= 0 && low >= 0 && (high | low) != 0;
}

// Bytes that stop a text as the writer writes it: those it escapes (up to the space, the comma
// and the percent sign), which as they are end the text or begin an escape.
constexpr std::array<bool, 256> kTextStop = [] {
    std::array<bool, 256> table{};
    for (std::size_t b = 0; b <= ' '; ++b) {
        table[b] = true;
    }
    table[','] = table['%'] = true;
    return table;
}();

// The first byte of kTextStop from `p`, or `end`; eight bytes at a time.
const char* firstTextStop(const char* p, const char* end) {
    if constexpr (kLittleEndian) {
        for (; end - p >= 8; p += 8) {
            uint64_t word = 0;
            std::memcpy(&word, p, sizeof word);
            // The lowest byte flagged in each term is exact: those below the space, commas,
            // percent signs.
            const uint64_t comma = word ^ (',' * kEveryByte);
            const uint64_t percent = word ^ ('%' * kEveryByte);
            const uint64_t stops = ((word - 0x21 * kEveryByte) & ~word) |
                                   ((comma - kEveryByte) & ~comma) |
                                   ((percent - kEveryByte) & ~percent);
            if ((stops & kHighBits) != 0) {
                return p + std::countr_zero(stops & kHighBits) / 8;
            }
        }
    }
    while (p != end && !kTextStop[static_cast<unsigned char>(*p)]) {
        ++p;
    }
    return p;
}

// Past the comma after a text as the writer writes it at `p`: bytes above the space but the comma
// and the percent sign, and the escapes it makes. Null when anything else comes first.
const char* pastWrittenText(const char* p, const char* end) {
    for (;;) {
        p = firstTextStop(p, end);
        if (p == end) {
            return nullptr;
        }
        if (*p == ',') {
            return p + 1;
        }
        if (*p != '%' || end - p < 3 || !isWrittenEscape(p + 1)) {
            return nullptr;
        }
        p += 3;
    }
}

// Past the comma after styles as the writer writes them at `p`; null for anything else.
const char* pastWrittenStyles(const char* p, const char* end) {
    const char* const comma = std::find(p, end, ',');
    return comma != end && isWrittenStyles(std::string_view(p, static_cast<std::size_t>(comma - p)))
               ? comma + 1
               : nullptr;
}

// The bytes a record as written is looked at with, from where it or one of its fields starts:
// the opener and the comma after it, or the closer and what follows, or a key, an int as %d
// writes it and the comma after it.
constexpr std::ptrdiff_t kRecordRoom = 16;

// The bytes made sure of before field F of record R: where the record's fields start or a text
// has ended, room for each int up to the next text or the closer, and for what follows them, as
// the writer writes them at their longest; none in between.
template <std::size_t R, std::size_t F>
constexpr std::ptrdiff_t kRoomBefore = [] {
    const std::span<const FieldForm> fields = kRecordForms[R].fields;
    if (F > 0 && fields[F - 1].form == ValueForm::Integer) {
        return std::ptrdiff_t{0};
    }
    std::ptrdiff_t room = kRecordRoom;
    for (std::size_t g = F; g < fields.size() && fields[g].form == ValueForm::Integer; ++g) {
        room += kRecordRoom;
    }
    return room;
}();

// Past the comma after field F of record R as the writer writes it at `p`; null for anything
// else. Made for each field of each record, with its key and form as constants.
template <std::size_t R, std::size_t F>
const char* pastWrittenField(const char* p, const char* end) {
    constexpr const FieldForm& field = kRecordForms[R].fields[F];
    constexpr std::size_t kKeyBytes = field.key.size() + 1;
    if constexpr (kRoomBefore < R, F >> 0) {
        if (end - p < kRoomBefore<R, F>) {
            return nullptr;
        }
    }
    if constexpr (field.form == ValueForm::Integer && kLittleEndian) {
        // The key and the first digits in one word.
        uint64_t word = 0;
        std::memcpy(&word, p, sizeof word);
        return (word & field.mask) == field.prefix
                   ? pastWrittenInteger(p + kKeyBytes, word >> (8 * kKeyBytes))
                   : nullptr;
    }
    if (!field.keyAt(p)) {
        return nullptr;
    }
    p += kKeyBytes;
    if constexpr (field.form == ValueForm::Integer) {
        return pastAnyWrittenInteger(p);
    } else if constexpr (field.form == ValueForm::Text) {
        return pastWrittenText(p, end);
    } else {
        return pastWrittenStyles(p, end);
    }
}

// Past the comma after the last field of record R, its fields written in order from `p`.
template <std::size_t R>
const char* pastWrittenFields(const char* p, const char* end) {
    return [&]<std::size_t... F>(std::index_sequence<F...>) {
        const bool taken = (((p = pastWrittenField<R, F>(p, end)) != nullptr) && ...);
        return taken ? p : nullptr;
    }
    (std::make_index_sequence<kRecordForms[R].fields.size()>());
}

using WrittenFieldsTaker = const char* (*)(const char* p, const char* end);
constexpr auto kWrittenFieldsTakers = []<std::size_t... R>(std::index_sequence<R...>) {
    return std::array<WrittenFieldsTaker, sizeof...(R)>{&pastWrittenFields<R>...};
}
(std::make_index_sequence<kRecordForms.size()>());

// Cuts a text into tokens as Ce3Reader does (blanks skipped before a token, a comma or line end
// after it, percent escapes decoded), and tells apart what Ce3Reader takes alike for the end of
// its input: a NUL byte, a broken escape, a token that the end cuts, a read error. Most of a
// converted file is taken a record at a time, as a conversion writes it, with one look at each
// byte; whatever is written otherwise is cut into tokens.
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

    TokenScanner(std::string_view bytes, int readError)
        : pos_(bytes.data()),
          end_(bytes.data() + bytes.size()),
          readError_(readError),
          lastByte_(bytes.empty() ? '\0' : bytes.back()) {}

    // Whether the input starts with `bytes`, read before any token.
    bool startsWith(std::string_view bytes) const {
        return static_cast<std::size_t>(end_ - pos_) >= bytes.size() &&
               std::memcmp(pos_, bytes.data(), bytes.size()) == 0;
    }

    // The next token, decoded, in `token` until the next call. Tokens without an escape are taken
    // where they lie.
    Result next(std::string_view& token) {
        for (;;) {
            if (pos_ == end_) {
                line_ = lastLine();
                return readError_ != 0 ? Result::ReadFailed : Result::End;
            }
            const auto c = static_cast<unsigned char>(*pos_);
            if (!kBlank[c]) {
                break;
            }
            if (c == '\n') {
                countLine();
            }
            ++pos_;
        }
        line_ = lineCount_;
        const char* const begin = pos_;
        const std::size_t n = plainRun(begin, static_cast<std::size_t>(end_ - begin));
        pos_ += n;
        if (pos_ == end_) {
            if (readError_ != 0) {
                return Result::ReadFailed;
            }
            token = std::string_view(begin, n);
            cutByEnd_ = true;
            return Result::Token;
        }
        if (isCe3Delimiter(static_cast<unsigned char>(*pos_))) {
            token = std::string_view(begin, n);
            takeDelimiter();
            return Result::Token;
        }
        assembled_.assign(begin, n);
        return assemble(token);
    }

    // The line of the last token or of what ended the last call; at the end of input the last
    // line holding a byte.
    int32_t line() const { return line_; }
    // Whether the end of input, not a delimiter, ended the last token.
    bool cutByEnd() const { return cutByEnd_; }
    int error() const { return readError_; }

    // Takes the field key:value when it comes next as the writer writes it (no blank before it)
    // with its value in the field's form, and says so; else takes nothing, and next() reads it.
    bool takeField(const FieldForm& field) {
        const std::size_t available = static_cast<std::size_t>(end_ - pos_);
        if (available < 5 || !field.keyAt(pos_)) {
            return false;
        }
        const char* const value = pos_ + field.key.size() + 1;
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
                n = static_cast<std::size_t>(firstWrittenTextEnd(value, end_) - value);
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
        pos_ = value + n;
        takeDelimiter();
        return true;
    }

    // Takes `token` when it comes next, with a delimiter after it.
    bool takeToken(std::string_view token) {
        if (static_cast<std::size_t>(end_ - pos_) <= token.size() || !bytesBegin(pos_, token) ||
            !isCe3Delimiter(static_cast<unsigned char>(pos_[token.size()]))) {
            return false;
        }
        pos_ += token.size();
        takeDelimiter();
        return true;
    }

    // Takes the records that come next as a conversion writes them, blanks before each included:
    // its opener, each field in order with its value in the field's form, its closer, each
    // followed by a comma but the closer, which a line end may follow. That is what the tokens of
    // a record a conversion writes come to, so each is taken as cutting it into tokens would take
    // it. The sheet information record is taken only where it is due (sheetInfoRead false, which
    // it sets), any other only after it. Stops before anything else.
    void takeWrittenRecords(bool& sheetInfoRead) {
        const char* p = pos_;
        int32_t lines = lineCount_;
        const char* taken = p;  // past the last record taken, and its line
        int32_t takenLines = lines;
        for (;;) {
            while (p != end_ && kBlank[static_cast<unsigned char>(*p)]) {
                if (*p == '\n') {
                    lines = nextLine(lines);
                }
                ++p;
            }
            if (end_ - p < kRecordRoom || *p != '+' || p[1] < 'A' || p[1] > 'Z') {
                break;
            }
            const RecordForm* form = nullptr;
            for (const RecordForm* candidate :
                 kRecordsByLetter[static_cast<std::size_t>(p[1] - 'A')]) {
                if (candidate != nullptr && candidate->opener.begin(p)) {
                    form = candidate;
                    break;
                }
            }
            if (form == nullptr || (form->name == &kCe3SheetInfo) == sheetInfoRead) {
                break;
            }
            const char* q =
                kWrittenFieldsTakers[static_cast<std::size_t>(form - kRecordForms.data())](
                    p + form->name->open().size() + 1, end_);
            if (q == nullptr || end_ - q < kRecordRoom || !form->closer.begin(q)) {
                break;
            }
            q += form->name->close().size();
            // Its delimiter, and a line feed after a carriage return, which the next token's
            // blanks would take.
            if (*q == '\r') {
                ++q;
                if (*q == '\n') {
                    ++q;
                    lines = nextLine(lines);
                }
            } else if (*q == '\n') {
                ++q;
                lines = nextLine(lines);
            } else if (*q != ',') {
                break;
            } else {
                ++q;
            }
            p = q;
            taken = q;
            takenLines = lines;
            sheetInfoRead = true;
        }
        if (taken != pos_) {
            pos_ = taken;
            lineCount_ = takenLines;
            cutByEnd_ = false;
        }
    }

  private:
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

    // Where a text with the escapes the writer makes (two hexadecimal digits, not 00) ends: at the
    // first other special byte; `end` when an escape is not one of those or does not lie whole
    // before it.
    static const char* firstWrittenTextEnd(const char* p, const char* end) {
        for (;;) {
            p += plainRun(p, static_cast<std::size_t>(end - p));
            if (p == end || *p != '%') {
                return p;
            }
            if (end - p < 3 || !isWrittenEscape(p + 1)) {
                return end;
            }
            p += 3;
        }
    }

    // Takes the delimiter at pos_.
    void takeDelimiter() {
        if (*pos_++ == '\n') {
            countLine();
        }
        cutByEnd_ = false;
    }

    static int32_t nextLine(int32_t line) { return line < INT32_MAX ? line + 1 : line; }

    void countLine() { lineCount_ = nextLine(lineCount_); }

    int32_t lastLine() const {
        return lastByte_ == '\n' && lineCount_ > 1 ? lineCount_ - 1 : lineCount_;
    }

    // The next byte, or -1 at the end of input.
    int nextByte() {
        if (pos_ == end_) {
            return -1;
        }
        return static_cast<unsigned char>(*pos_++);
    }

    // The rest of a token that holds an escape or a NUL byte, decoded into assembled_, which
    // holds its first bytes.
    Result assemble(std::string_view& token) {
        for (;;) {
            if (pos_ == end_) {
                if (readError_ != 0) {
                    return Result::ReadFailed;
                }
                token = assembled_;
                cutByEnd_ = true;
                return Result::Token;
            }
            const std::size_t n = plainRun(pos_, static_cast<std::size_t>(end_ - pos_));
            assembled_.append(pos_, n);
            pos_ += n;
            if (pos_ == end_) {
                continue;
            }
            const auto c = static_cast<unsigned char>(*pos_);
            if (isCe3Delimiter(c)) {
                token = assembled_;
                takeDelimiter();
                return Result::Token;
            }
            ++pos_;
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
                return readError_ != 0 ? Result::ReadFailed : Result::CutEscape;
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

    const char* pos_;
    const char* end_;
    int readError_;
    char lastByte_;          // of the input: whether it ends a line
    int32_t lineCount_ = 1;  // the line of the next byte
    int32_t line_ = 1;
    bool cutByEnd_ = false;
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
    // The fields as a conversion writes them, taken field by field.
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

ContentsCheck checkConvertedContents(std::string_view bytes, int readError) {
    TokenScanner scanner(bytes, readError);
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
        scanner.takeWrittenRecords(sheetInfoRead);
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
