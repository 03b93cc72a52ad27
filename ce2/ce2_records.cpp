#include "ce2/ce2_records.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <string>
#include <utility>

#include "ce2/ce2_fields.h"
#include "model/comment.h"
#include "model/component.h"
#include "model/document.h"
#include "model/entry.h"
#include "model/junction.h"
#include "model/label.h"
#include "model/line_element.h"
#include "model/sheet_info.h"
#include "model/tag.h"

namespace {

constexpr int kLabelTextCapacity = 11;
constexpr int kNameCapacity = 15;
constexpr int kReferenceCapacity = 7;
constexpr std::size_t kLibraryNameSize = 16;
constexpr int kCommentTextCapacity = 63;

constexpr char kHeaderMagic[] =
    "\x20"
    "CE DATA FILE $0001"
    "\x1A";
constexpr std::size_t kHeaderMagicSize = sizeof kHeaderMagic - 1;

// Sheet sizes of the header's size index; higher indexes carry the size in the record.
constexpr std::array<SchPoint, 5> kSheetSizes = {SchPoint(640, 480), SchPoint(1000, 750),
                                                 SchPoint(1600, 1200), SchPoint(2000, 1500),
                                                 SchPoint(3000, 2000)};

// The comment's variable part: size class, text length, then the L - 14 text bytes.
std::size_t commentVariableSize(int length) {
    return static_cast<std::size_t>(length - 12);
}

bool isCommentLength(int length) {
    return length >= kCe2MinCommentLength && length <= kCe2MaxCommentLength;
}

// Builds the element of a single record, on its own or in `arena` when that is not null, and
// keeps it in `element`.
struct OwningMaker {
    SchElementArena* arena;
    SchElementPtr element;

    template <typename T, typename... Args>
    T& make(Args&&... args) {
        if (arena != nullptr) {
            element = arena->make<T>(std::forward<Args>(args)...);
        } else {
            element = std::make_unique<T>(std::forward<Args>(args)...);
        }
        return static_cast<T&>(*element);
    }
};

// Builds the elements of a drawing in its document's arena and appends each to it.
class AppendingMaker {
  public:
    explicit AppendingMaker(SchDocument& doc) : doc_(doc), arena_(doc.elementArena()) {}

    template <typename T, typename... Args>
    T& make(Args&&... args) {
        SchElementPtr e = arena_.make<T>(std::forward<Args>(args)...);
        T& element = static_cast<T&>(*e);
        doc_.append(std::move(e));
        return element;
    }

  private:
    SchDocument& doc_;
    SchElementArena& arena_;
};

// The record decoders below take a whole body in memory and build its element with the maker.
// The layer and position are shared by every element record: flags at 0, x at 1, y at 3.
int32_t layerOf(const unsigned char* body) {
    return ce2Layer(body[0]);
}

SchPoint positionOf(const unsigned char* body) {
    return SchPoint(ce2Int16(body, 1), ce2Int16(body, 3));
}

template <typename Maker>
void decodeJunction(Maker& maker, const unsigned char* body) {
    SchJunction& junction = maker.template make<SchJunction>();
    junction.layer = layerOf(body);
    junction.p1 = positionOf(body);
}

template <typename Maker>
void decodeEntry(Maker& maker, const unsigned char* body) {
    const unsigned char flags = body[0];
    SchEntry& entry = (flags & 2) ? maker.template make<SchEntry>()
                                  : static_cast<SchEntry&>(maker.template make<SchBusEntry>());
    entry.layer = layerOf(body);
    entry.p1 = positionOf(body);
    entry.setSlant(!(flags & 1));
}

template <typename Line, typename Maker>
void decodeLine(Maker& maker, const unsigned char* body) {
    Line& line = maker.template make<Line>();
    line.layer = layerOf(body);
    line.p1 = positionOf(body);
    line.p2 = SchPoint(ce2Int16(body, 5), ce2Int16(body, 7));
}

// Label and tag: the text follows the position.
std::string_view textRecordText(const unsigned char* body) {
    return ce2CountedText(body, 5, kLabelTextCapacity);
}

template <typename Maker>
void decodeLabel(Maker& maker, const unsigned char* body) {
    maker.template make<SchLabel>(layerOf(body), positionOf(body), textRecordText(body),
                                  !(body[0] & 8));
}

template <typename Maker>
void decodeTag(Maker& maker, const unsigned char* body) {
    maker.template make<SchTag>(layerOf(body), positionOf(body), textRecordText(body), body[0] & 3);
}

template <typename Maker>
void decodeComponent(Maker& maker, const unsigned char* body) {
    maker.template make<SchComponent>(
        layerOf(body), positionOf(body), ce2CountedText(body, 11, kNameCapacity),
        SchPoint(ce2Int16(body, 27), ce2Int16(body, 29)),
        ce2CountedText(body, 31, kReferenceCapacity),
        SchPoint(ce2Int16(body, 39), ce2Int16(body, 41)),
        // The library name has no length byte: it ends at its first NUL or with the field.
        ce2CText(body + 43, kLibraryNameSize), static_cast<int8_t>(body[10]), body[9] & 7);
}

// A comment whose record length, in its fixed part, has been checked.
template <typename Maker>
void decodeComment(Maker& maker, const unsigned char* body, const ConversionOptions& options) {
    const int capacity = std::min(kCommentTextCapacity, ce2Int16(body, 9) - 14);
    const unsigned char* variable = body + kCe2CommentFixed;
    const bool large = variable[0] != 0;
    maker.template make<SchComment>(layerOf(body), positionOf(body),
                                    ce2CountedText(variable, 1, capacity),
                                    large ? options.largeFontName : options.smallFontName,
                                    large ? options.largeFontSize : options.smallFontSize);
}

bool hasHeaderMagic(const unsigned char* body) {
    return std::memcmp(body, kHeaderMagic, kHeaderMagicSize) == 0;
}

// The sheet size of a header whose magic has been checked.
SchPoint headerSheetSize(const unsigned char* body) {
    const std::size_t index = body[33];
    return index < kSheetSizes.size() ? kSheetSizes[index]
                                      : SchPoint(ce2Int16(body, 38), ce2Int16(body, 40));
}

// Reads a fixed-size body from the stream and decodes it with `decode`; null when the body
// cannot be read in full.
template <std::size_t N, typename Decode>
SchElementPtr readBody(FILE* stream, SchElementArena* arena, Decode decode) {
    std::array<unsigned char, N> body;
    if (!readCe2Body(stream, body.data(), body.size())) {
        return nullptr;
    }
    OwningMaker maker{arena, nullptr};
    decode(maker, body.data());
    return std::move(maker.element);
}

template <typename Line>
SchElementPtr readCe2LineAs(FILE* stream, SchElementArena* arena) {
    return readBody<kCe2LineBody>(stream, arena, decodeLine<Line, OwningMaker>);
}

}  // namespace

SchElementPtr readCe2Junction(FILE* stream, SchElementArena* arena) {
    return readBody<kCe2PointBody>(stream, arena, decodeJunction<OwningMaker>);
}

SchElementPtr readCe2Entry(FILE* stream, SchElementArena* arena) {
    return readBody<kCe2PointBody>(stream, arena, decodeEntry<OwningMaker>);
}

SchElementPtr readCe2Line(FILE* stream, int type, SchElementArena* arena) {
    // The line records are the element records with a line body.
    const Ce2RecordType* recordType = findCe2RecordType(type);
    if (recordType == nullptr || recordType->bodySize != kCe2LineBody) {
        return nullptr;
    }
    return std::move(recordType->read(stream, ConversionOptions{}, arena).element);
}

SchElementPtr readCe2Label(FILE* stream, SchElementArena* arena) {
    return readBody<kCe2TextBody>(stream, arena, decodeLabel<OwningMaker>);
}

SchElementPtr readCe2Tag(FILE* stream, SchElementArena* arena) {
    return readBody<kCe2TextBody>(stream, arena, decodeTag<OwningMaker>);
}

SchElementPtr readCe2Component(FILE* stream, SchElementArena* arena) {
    return readBody<kCe2ComponentBody>(stream, arena, decodeComponent<OwningMaker>);
}

namespace {

// A comment: the element, or why there is none (CutRecord or BadCommentLength) with the record
// length L once the fixed part has been read.
Ce2Record readCommentRecord(FILE* stream, const ConversionOptions& options,
                            SchElementArena* arena) {
    Ce2Record r;
    std::array<unsigned char, kCe2CommentFixed + kCe2MaxCommentLength - 12> body;
    if (!readCe2Body(stream, body.data(), kCe2CommentFixed)) {
        return r;
    }
    const int length = ce2Int16(body.data(), 9);
    r.commentLength = length;
    if (!isCommentLength(length)) {
        r.failure = Ce2Stop::BadCommentLength;
        return r;
    }
    const std::size_t variableSize = commentVariableSize(length);
    if (!readCe2Body(stream, body.data() + kCe2CommentFixed, variableSize)) {
        return r;
    }
    OwningMaker maker{arena, nullptr};
    decodeComment(maker, body.data(), options);
    r.element = std::move(maker.element);
    r.extraBytes = variableSize;
    return r;
}

// A header: its sheet information, or why there is none (CutRecord or BadMagic).
Ce2Record readHeaderRecord(FILE* stream, const ConversionOptions&, SchElementArena*) {
    Ce2Record r;
    std::array<unsigned char, kCe2HeaderBody> body;
    if (!readCe2Body(stream, body.data(), body.size())) {
        return r;
    }
    const unsigned char* b = body.data();
    if (!hasHeaderMagic(b)) {
        r.failure = Ce2Stop::BadMagic;
        return r;
    }
    auto info = std::make_unique<SchSheetInfo>();
    // The sheet information's setters ignore every value, so its fields are assigned.
    info->p1 = headerSheetSize(b);
    info->selection = ce2Int16(b, 42);
    info->layer = ce2Int16(b, 44);
    r.header = std::move(info);
    return r;
}

// An element record whose reader needs neither the options nor reports more than null.
template <SchElementPtr (*read)(FILE*, SchElementArena*)>
Ce2Record readElementRecord(FILE* stream, const ConversionOptions&, SchElementArena* arena) {
    Ce2Record r;
    r.element = read(stream, arena);
    return r;
}

constexpr Ce2RecordType kRecordTypes[] = {
    {Ce2Type::Junction, kCe2PointBody, readElementRecord<readCe2Junction>},
    {Ce2Type::Entry, kCe2PointBody, readElementRecord<readCe2Entry>},
    {Ce2Type::Bus, kCe2LineBody, readElementRecord<readCe2LineAs<SchBus>>},
    {Ce2Type::Wire, kCe2LineBody, readElementRecord<readCe2LineAs<SchWire>>},
    {Ce2Type::Dash, kCe2LineBody, readElementRecord<readCe2LineAs<SchDash>>},
    {Ce2Type::Label, kCe2TextBody, readElementRecord<readCe2Label>},
    {Ce2Type::Tag, kCe2TextBody, readElementRecord<readCe2Tag>},
    {Ce2Type::Component, kCe2ComponentBody, readElementRecord<readCe2Component>},
    {Ce2Type::Header, kCe2HeaderBody, readHeaderRecord},
    {Ce2Type::Comment, kCe2CommentFixed, readCommentRecord},
};

}  // namespace

const Ce2RecordType* findCe2RecordType(int type) {
    for (const Ce2RecordType& recordType : kRecordTypes) {
        if (recordType.type == type) {
            return &recordType;
        }
    }
    return nullptr;
}

SchElementPtr readCe2Comment(FILE* stream, const ConversionOptions& options,
                             SchElementArena* arena) {
    return std::move(readCommentRecord(stream, options, arena).element);
}

std::unique_ptr<SchSheetInfo> readCe2Header(FILE* stream) {
    return std::move(readHeaderRecord(stream, ConversionOptions{}, nullptr).header);
}

Ce2Decoder::Ce2Decoder(SchDocument& doc, const ConversionOptions& options,
                       const Ce2Progress& progress)
    : doc_(doc),
      options_(options),
      progress_(progress),
      // One comparison per record, also without progress.
      nextProgress_(progress ? kCe2ProgressBytes : LONG_MAX) {}

void Ce2Decoder::stop(Ce2Stop why, int type, int commentLength) {
    stopped_ = true;
    report_ = Ce2ReadReport{why, offset_, type, commentLength};
}

std::size_t Ce2Decoder::decode(const unsigned char* bytes, std::size_t size, Ending ending) {
    AppendingMaker maker(doc_);
    std::size_t at = 0;
    while (!stopped_) {
        if (offset_ >= nextProgress_) {
            progress_(static_cast<uint64_t>(offset_));
            nextProgress_ = offset_ + kCe2ProgressBytes;
        }
        if (at == size) {
            if (ending != Ending::More) {
                stop(ending == Ending::ReadError ? Ce2Stop::ReadError : Ce2Stop::EndOfFile, -1);
            }
            break;
        }
        const int type = bytes[at];
        const unsigned char* const body = bytes + at + 1;
        const std::size_t available = size - at - 1;
        std::size_t bodySize = 0;
        bool element = true;
        switch (type) {
            case Ce2Type::Junction:
                bodySize = kCe2PointBody;
                if (available >= bodySize) {
                    decodeJunction(maker, body);
                }
                break;
            case Ce2Type::Entry:
                bodySize = kCe2PointBody;
                if (available >= bodySize) {
                    decodeEntry(maker, body);
                }
                break;
            case Ce2Type::Bus:
                bodySize = kCe2LineBody;
                if (available >= bodySize) {
                    decodeLine<SchBus>(maker, body);
                }
                break;
            case Ce2Type::Wire:
                bodySize = kCe2LineBody;
                if (available >= bodySize) {
                    decodeLine<SchWire>(maker, body);
                }
                break;
            case Ce2Type::Dash:
                bodySize = kCe2LineBody;
                if (available >= bodySize) {
                    decodeLine<SchDash>(maker, body);
                }
                break;
            case Ce2Type::Label:
                bodySize = kCe2TextBody;
                if (available >= bodySize) {
                    decodeLabel(maker, body);
                }
                break;
            case Ce2Type::Tag:
                bodySize = kCe2TextBody;
                if (available >= bodySize) {
                    decodeTag(maker, body);
                }
                break;
            case Ce2Type::Component:
                bodySize = kCe2ComponentBody;
                if (available >= bodySize) {
                    decodeComponent(maker, body);
                }
                break;
            case Ce2Type::Header:
                bodySize = kCe2HeaderBody;
                element = false;
                if (available < bodySize) {
                    break;
                }
                if (!hasHeaderMagic(body)) {
                    stop(Ce2Stop::BadMagic, type);
                    return at + 1 + bodySize;
                }
                // Only headers before the first element size the sheet.
                if (count_ == 0) {
                    doc_.setSheetSize(headerSheetSize(body));
                }
                break;
            case Ce2Type::Comment:
                bodySize = kCe2CommentFixed;
                if (available < bodySize) {
                    break;
                }
                if (!isCommentLength(ce2Int16(body, 9))) {
                    stop(Ce2Stop::BadCommentLength, type, ce2Int16(body, 9));
                    return at + 1 + kCe2CommentFixed;
                }
                bodySize += commentVariableSize(ce2Int16(body, 9));
                if (available >= bodySize) {
                    decodeComment(maker, body, options_);
                }
                break;
            default:
                stop(Ce2Stop::UnknownType, type);
                return at + 1;
        }
        if (available < bodySize) {
            // A record cut short by the end of the bytes: it is whole once more arrive.
            if (ending == Ending::More) {
                break;
            }
            stop(ending == Ending::ReadError ? Ce2Stop::ReadError : Ce2Stop::CutRecord, type);
            return size;
        }
        count_ += element ? 1 : 0;
        at += 1 + bodySize;
        offset_ += static_cast<long>(1 + bodySize);
    }
    return at;
}
