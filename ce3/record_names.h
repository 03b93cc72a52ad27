#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

// The name of a CE3 record, declared once, with the tokens that open ("+NAME") and close
// ("-NAME") it. Each token is also NUL-terminated, and each is held in an array of kCapacity
// bytes, so that a writer copies it as one block of fixed size.
class Ce3RecordName {
  public:
    static constexpr std::size_t kCapacity = 24;

    template <std::size_t N>
    consteval explicit Ce3RecordName(const char (&name)[N]) : size_(N) {
        static_assert(N < kCapacity, "record name too long");
        open_[0] = '+';
        close_[0] = '-';
        for (std::size_t i = 0; i + 1 < N; ++i) {
            if (static_cast<unsigned char>(name[i]) <= ' ' || name[i] == '%' || name[i] == ',') {
                throw "a record name byte that would be escaped";
            }
            open_[i + 1] = name[i];
            close_[i + 1] = name[i];
        }
    }

    constexpr std::string_view open() const { return {open_, size_}; }
    constexpr std::string_view close() const { return {close_, size_}; }

    // Copy the opening or closing token to `out`, which has room for kCapacity bytes, and return
    // the end of the token.
    char* copyOpen(char* out) const {
        std::memcpy(out, open_, kCapacity);
        return out + size_;
    }
    char* copyClose(char* out) const {
        std::memcpy(out, close_, kCapacity);
        return out + size_;
    }

  private:
    char open_[kCapacity] = {};
    char close_[kCapacity] = {};
    std::size_t size_;  // of each token: the sign and the name
};

// Every record of a CE3 file, first and last its magic line.
inline constexpr Ce3RecordName kCe3Magic("TOVR3_DATA_V.1.0");
inline constexpr Ce3RecordName kCe3SheetInfo("SHEETINFO");
inline constexpr Ce3RecordName kCe3Junction("JUNCTION");
inline constexpr Ce3RecordName kCe3Entry("ENTRY");
inline constexpr Ce3RecordName kCe3BusEntry("BENTRY");
inline constexpr Ce3RecordName kCe3Bus("BUS");
inline constexpr Ce3RecordName kCe3Wire("WIRE");
inline constexpr Ce3RecordName kCe3Dash("DASH");
inline constexpr Ce3RecordName kCe3Label("LABEL");
inline constexpr Ce3RecordName kCe3Tag("TAG");
inline constexpr Ce3RecordName kCe3Component("COMPONENT");
inline constexpr Ce3RecordName kCe3Comment("COMMENT");

// The key of a field as a record line holds it after an earlier token: the comma, the key and the
// colon ",KEY:", made when the program is compiled and held in kCapacity bytes, so that a writer
// copies it as one block of fixed size.
class Ce3Key {
  public:
    static constexpr std::size_t kCapacity = 8;

    template <std::size_t N>
    consteval explicit Ce3Key(const char (&key)[N]) : size_(N + 1) {
        static_assert(N >= 2 && N + 1 <= kCapacity, "a key of one to six bytes");
        bytes_[0] = ',';
        for (std::size_t i = 0; i + 1 < N; ++i) {
            if (static_cast<unsigned char>(key[i]) <= ' ' || key[i] == '%' || key[i] == ',' ||
                key[i] == ':') {
                throw "a key byte that would be escaped or end the key";
            }
            bytes_[i + 1] = key[i];
        }
        bytes_[N] = ':';
    }

    // The key alone.
    constexpr std::string_view name() const { return {bytes_ + 1, size_ - 2}; }

    // Copies ",KEY:" to `out`, which has room for kCapacity bytes; returns its end.
    char* copyTo(char* out) const {
        std::memcpy(out, bytes_, kCapacity);
        return out + size_;
    }

  private:
    char bytes_[kCapacity] = {};
    std::size_t size_;
};

// The keys of the fields that the element records hold.
inline constexpr Ce3Key kCe3KeyLayer("L");
inline constexpr Ce3Key kCe3KeyX("X");
inline constexpr Ce3Key kCe3KeyY("Y");
inline constexpr Ce3Key kCe3KeyX1("X1");
inline constexpr Ce3Key kCe3KeyY1("Y1");
inline constexpr Ce3Key kCe3KeyX2("X2");
inline constexpr Ce3Key kCe3KeyY2("Y2");
inline constexpr Ce3Key kCe3KeyHorizontal("D");
inline constexpr Ce3Key kCe3KeyText("S");
inline constexpr Ce3Key kCe3KeyTagType("T");
inline constexpr Ce3Key kCe3KeyLibrary("LIB");
inline constexpr Ce3Key kCe3KeyDirection("DIR");
inline constexpr Ce3Key kCe3KeyBlock("BLK");
inline constexpr Ce3Key kCe3KeyName("N");
inline constexpr Ce3Key kCe3KeyNameX("NX");
inline constexpr Ce3Key kCe3KeyNameY("NY");
inline constexpr Ce3Key kCe3KeyReference("R");
inline constexpr Ce3Key kCe3KeyReferenceX("RX");
inline constexpr Ce3Key kCe3KeyReferenceY("RY");
inline constexpr Ce3Key kCe3KeyFontName("FN");
inline constexpr Ce3Key kCe3KeyFontSize("FS");
inline constexpr Ce3Key kCe3KeyFontStyle("FF");
inline constexpr Ce3Key kCe3KeyEL("EL");
inline constexpr Ce3Key kCe3KeyVL("VL");
inline constexpr Ce3Key kCe3KeyWidth("W");
inline constexpr Ce3Key kCe3KeyHeight("H");
