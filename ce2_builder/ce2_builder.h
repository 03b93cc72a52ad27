#pragma once

#include <initializer_list>
#include <optional>
#include <string>

// Composes CE2 records from their fields, for tests, fuzz seeds and sample drawings. Every
// function returns a whole record, type byte first. Values are written as given: a byte field
// keeps the low 8 bits, an int16 field the low 16 bits, and texts are cut or NUL-padded to their
// field, so malformed records can be composed as easily as sound ones.
namespace ce2build {

// Record type bytes.
inline constexpr int kJunction = 0;
inline constexpr int kEntry = 1;
inline constexpr int kBus = 2;
inline constexpr int kWire = 3;
inline constexpr int kDash = 4;
inline constexpr int kLabel = 5;
inline constexpr int kTag = 6;
inline constexpr int kComponent = 8;
inline constexpr int kHeader = 9;
inline constexpr int kComment = 16;

// Label and tag.
struct Text {
    int flags = 0;
    int x = 0;
    int y = 0;
    std::string text{};               // up to 11 bytes
    std::optional<int> lengthByte{};  // default: the text's size
};

struct Component {
    int flags = 0;
    int x = 0;
    int y = 0;
    int direction = 0;   // byte 9
    int block = 0;       // byte 10
    std::string name{};  // up to 15 bytes
    std::optional<int> nameLength{};
    int nameX = 2;
    int nameY = 20;
    std::string reference{};  // up to 7 bytes
    std::optional<int> referenceLength{};
    int refX = 2;
    int refY = 10;
    std::string library{};  // up to 16 bytes, no length byte
};

struct Comment {
    int flags = 0;
    int x = 0;
    int y = 0;
    int sizeClass = 0;
    std::string text{};
    std::optional<int> lengthByte{};    // default: the text's size
    std::optional<int> recordLength{};  // L; default 14 + the text's size. The variable part has
                                        // L - 12 bytes (none when L <= 12): size class, length
                                        // byte, then the text cut or padded to L - 14 bytes.
};

struct Header {
    int sizeIndex = 0;
    int width = 0;  // used by the reader when sizeIndex >= 5
    int height = 0;
    int vl = 0;
    int el = 0;
    std::optional<int> corruptMagicAt{};  // flips the low bit of this magic byte (0..19)
};

std::string junction(int flags, int x, int y);
std::string entry(int flags, int x, int y);
// type: kBus, kWire or kDash (any other value is written as given).
std::string line(int type, int flags, int x1, int y1, int x2, int y2);
std::string label(const Text& t);
std::string tag(const Text& t);
std::string component(const Component& c);
std::string comment(const Comment& c);
std::string header(const Header& h);
// Bytes given one by one, each taken modulo 256.
std::string raw(std::initializer_list<int> bytes);

}  // namespace ce2build
