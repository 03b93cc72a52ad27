#include "ce2_builder/ce2_builder.h"

#include <algorithm>
#include <cstddef>

namespace ce2build {
namespace {

constexpr std::size_t kHeaderBody = 59;

void putByte(std::string& out, int v) {
    out.push_back(static_cast<char>(v & 0xFF));
}

void putInt16(std::string& out, int v) {
    putByte(out, v);
    putByte(out, v >> 8);
}

// text cut or NUL-padded to exactly n bytes.
void putField(std::string& out, const std::string& text, std::size_t n) {
    const std::string field = text.substr(0, n);
    out += field;
    out.append(n - field.size(), '\0');
}

void putCounted(std::string& out, const std::string& text, std::optional<int> lengthByte,
                std::size_t capacity) {
    putByte(out, lengthByte.value_or(static_cast<int>(text.size())));
    putField(out, text, capacity);
}

std::string start(int type, int flags, int x, int y) {
    std::string out;
    putByte(out, type);
    putByte(out, flags);
    putInt16(out, x);
    putInt16(out, y);
    return out;
}

std::string textRecord(int type, const Text& t) {
    std::string out = start(type, t.flags, t.x, t.y);
    putCounted(out, t.text, t.lengthByte, 11);
    return out;
}

}  // namespace

std::string junction(int flags, int x, int y) {
    return start(kJunction, flags, x, y);
}

std::string entry(int flags, int x, int y) {
    return start(kEntry, flags, x, y);
}

std::string line(int type, int flags, int x1, int y1, int x2, int y2) {
    std::string out = start(type, flags, x1, y1);
    putInt16(out, x2);
    putInt16(out, y2);
    return out;
}

std::string label(const Text& t) {
    return textRecord(kLabel, t);
}

std::string tag(const Text& t) {
    return textRecord(kTag, t);
}

std::string component(const Component& c) {
    std::string out = start(kComponent, c.flags, c.x, c.y);
    out.append(4, '\0');
    putByte(out, c.direction);
    putByte(out, c.block);
    putCounted(out, c.name, c.nameLength, 15);
    putInt16(out, c.nameX);
    putInt16(out, c.nameY);
    putCounted(out, c.reference, c.referenceLength, 7);
    putInt16(out, c.refX);
    putInt16(out, c.refY);
    putField(out, c.library, 16);
    return out;
}

std::string comment(const Comment& c) {
    const int length = c.recordLength.value_or(14 + static_cast<int>(c.text.size()));
    std::string out = start(kComment, c.flags, c.x, c.y);
    out.append(4, '\0');
    putInt16(out, length);
    std::string variable;
    putByte(variable, c.sizeClass);
    putByte(variable, c.lengthByte.value_or(static_cast<int>(c.text.size())));
    putField(variable, c.text, static_cast<std::size_t>(std::max(0, length - 14)));
    out += variable.substr(0, static_cast<std::size_t>(std::max(0, length - 12)));
    return out;
}

std::string header(const Header& h) {
    std::string body =
        "\x20"
        "CE DATA FILE $0001"
        "\x1A";
    if (h.corruptMagicAt) {
        body.at(static_cast<std::size_t>(*h.corruptMagicAt)) ^= 1;
    }
    body.append(13, '\0');
    putByte(body, h.sizeIndex);
    body.append(4, '\0');
    putInt16(body, h.width);
    putInt16(body, h.height);
    putInt16(body, h.vl);
    putInt16(body, h.el);
    body.append(kHeaderBody - body.size(), '\0');
    std::string out;
    putByte(out, kHeader);
    return out + body;
}

std::string raw(std::initializer_list<int> bytes) {
    std::string out;
    for (int b : bytes) {
        putByte(out, b);
    }
    return out;
}

}  // namespace ce2build
