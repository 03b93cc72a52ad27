#pragma once

#include <cstddef>
#include <string_view>

// The name of a CE3 record, declared once, with the tokens that open ("+NAME") and close
// ("-NAME") it. Each token is also NUL-terminated.
class Ce3RecordName {
  public:
    template <std::size_t N>
    consteval explicit Ce3RecordName(const char (&name)[N]) : size_(N) {
        static_assert(N < kCapacity, "record name too long");
        open_[0] = '+';
        close_[0] = '-';
        for (std::size_t i = 0; i + 1 < N; ++i) {
            open_[i + 1] = name[i];
            close_[i + 1] = name[i];
        }
    }

    constexpr std::string_view open() const { return {open_, size_}; }
    constexpr std::string_view close() const { return {close_, size_}; }

  private:
    static constexpr std::size_t kCapacity = 24;

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
