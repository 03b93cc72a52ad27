#include "ce2/ce2_records.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "ce2/ce2_fields.h"
#include "model/comment.h"
#include "model/component.h"
#include "model/entry.h"
#include "model/junction.h"
#include "model/label.h"
#include "model/line_element.h"
#include "model/sheet_info.h"
#include "model/tag.h"

namespace {

constexpr std::size_t kLabelTextCapacity = 11;
constexpr std::size_t kNameCapacity = 15;
constexpr std::size_t kReferenceCapacity = 7;
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

// The layer and position shared by every element record: flags at 0, x at 1, y at 3.
void placeElement(SchElement& e, const unsigned char* body) {
    e.layer = ce2Layer(body[0]);
    e.setP1(SchPoint(ce2Int16(body, 1), ce2Int16(body, 3)));
}

// Label and tag: the text that follows the position.
std::string textRecordText(const unsigned char* body) {
    return ce2CountedText(body, 5, static_cast<int>(kLabelTextCapacity));
}

// A new element of class T, owned by `owner`: built in arena when one is given, otherwise
// allocated on its own.
template <typename T>
T& makeElement(SchElementArena* arena, SchElementPtr& owner) {
    if (arena != nullptr) {
        owner = arena->make<T>();
    } else {
        owner = std::make_unique<T>();
    }
    return static_cast<T&>(*owner);
}

// A bus, wire or dashed line record, read as the element class Line.
template <typename Line>
SchElementPtr readCe2LineAs(FILE* stream, SchElementArena* arena) {
    std::array<unsigned char, kCe2LineBody> body;
    if (!readCe2Body(stream, body.data(), body.size())) {
        return nullptr;
    }
    SchElementPtr element;
    Line& line = makeElement<Line>(arena, element);
    placeElement(line, body.data());
    line.setP2(SchPoint(ce2Int16(body.data(), 5), ce2Int16(body.data(), 7)));
    return element;
}

}  // namespace

SchElementPtr readCe2Junction(FILE* stream, SchElementArena* arena) {
    std::array<unsigned char, kCe2PointBody> body;
    if (!readCe2Body(stream, body.data(), body.size())) {
        return nullptr;
    }
    SchElementPtr element;
    placeElement(makeElement<SchJunction>(arena, element), body.data());
    return element;
}

SchElementPtr readCe2Entry(FILE* stream, SchElementArena* arena) {
    std::array<unsigned char, kCe2PointBody> body;
    if (!readCe2Body(stream, body.data(), body.size())) {
        return nullptr;
    }
    const unsigned char flags = body[0];
    SchElementPtr element;
    SchEntry& entry = (flags & 2) ? makeElement<SchEntry>(arena, element)
                                  : makeElement<SchBusEntry>(arena, element);
    placeElement(entry, body.data());
    entry.setSlant(!(flags & 1));
    return element;
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
    std::array<unsigned char, kCe2TextBody> body;
    if (!readCe2Body(stream, body.data(), body.size())) {
        return nullptr;
    }
    SchElementPtr element;
    SchLabel& label = makeElement<SchLabel>(arena, element);
    placeElement(label, body.data());
    label.setText(textRecordText(body.data()).c_str());
    label.horizontal = !(body[0] & 8);
    return element;
}

SchElementPtr readCe2Tag(FILE* stream, SchElementArena* arena) {
    std::array<unsigned char, kCe2TextBody> body;
    if (!readCe2Body(stream, body.data(), body.size())) {
        return nullptr;
    }
    SchElementPtr element;
    SchTag& tag = makeElement<SchTag>(arena, element);
    placeElement(tag, body.data());
    tag.setText(textRecordText(body.data()).c_str());
    tag.horizontal = true;
    tag.tagType = body[0] & 3;
    return element;
}

SchElementPtr readCe2Component(FILE* stream, SchElementArena* arena) {
    std::array<unsigned char, kCe2ComponentBody> body;
    if (!readCe2Body(stream, body.data(), body.size())) {
        return nullptr;
    }
    const unsigned char* b = body.data();
    SchElementPtr element;
    SchComponent& component = makeElement<SchComponent>(arena, element);
    placeElement(component, b);
    component.namePos = SchPoint(ce2Int16(b, 27), ce2Int16(b, 29));
    component.refPos = SchPoint(ce2Int16(b, 39), ce2Int16(b, 41));
    component.setName(ce2CountedText(b, 11, static_cast<int>(kNameCapacity)).c_str());
    component.setReference(ce2CountedText(b, 31, static_cast<int>(kReferenceCapacity)).c_str());
    // The library name has no length byte: it ends at its first NUL or after the whole field.
    const std::string library(reinterpret_cast<const char*>(b + 43), kLibraryNameSize);
    component.setLibraryName(library.c_str());
    component.setBlock(static_cast<int8_t>(b[10]));
    component.setDirection(b[9] & 7);
    return element;
}

namespace {

// A comment: the element, or why there is none (CutRecord or BadCommentLength) with the record
// length L once the fixed part has been read.
Ce2Record readCommentRecord(FILE* stream, const ConversionOptions& options,
                            SchElementArena* arena) {
    Ce2Record r;
    std::array<unsigned char, kCe2CommentFixed> fixed;
    if (!readCe2Body(stream, fixed.data(), fixed.size())) {
        return r;
    }
    const int length = ce2Int16(fixed.data(), 9);
    r.commentLength = length;
    if (length < kCe2MinCommentLength || length > kCe2MaxCommentLength) {
        r.failure = Ce2Stop::BadCommentLength;
        return r;
    }
    // Variable part: size class, text length, then the L - 14 text bytes.
    std::array<unsigned char, kCe2MaxCommentLength - 12> variable;
    const auto variableSize = static_cast<std::size_t>(length - 12);
    if (!readCe2Body(stream, variable.data(), variableSize)) {
        return r;
    }
    SchComment& comment = makeElement<SchComment>(arena, r.element);
    placeElement(comment, fixed.data());
    const int capacity = std::min(kCommentTextCapacity, length - 14);
    comment.setText(ce2CountedText(variable.data(), 1, capacity).c_str());
    const bool large = variable[0] != 0;
    comment.setFontName(large ? options.largeFontName.c_str() : options.smallFontName.c_str());
    comment.setFontSize(large ? options.largeFontSize : options.smallFontSize);
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
    if (std::memcmp(b, kHeaderMagic, kHeaderMagicSize) != 0) {
        r.failure = Ce2Stop::BadMagic;
        return r;
    }
    const std::size_t index = b[33];
    auto info = std::make_unique<SchSheetInfo>();
    // The sheet information's setters ignore every value, so its fields are assigned.
    info->p1 = index < kSheetSizes.size() ? kSheetSizes[index]
                                          : SchPoint(ce2Int16(b, 38), ce2Int16(b, 40));
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
