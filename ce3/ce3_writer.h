#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// Writes CE3 lines: tokens joined by single commas, each token percent-escaped, every line
// ended by CR LF. Owns neither its stream nor its text target.
class Ce3Writer {
  public:
    Ce3Writer() = default;
    explicit Ce3Writer(FILE* stream) : stream_(stream) {}
    // Appends to `text` instead of a file.
    explicit Ce3Writer(std::string* text) : text_(text) {}

    // Writes one byte: the byte (0..255) on success, -1 on failure or without a target.
    int putChar(int c);

    // Writes one token (up to its first NUL byte), preceded by a comma unless it is the first on
    // its line. 0 on success, -1 as soon as a byte cannot be written.
    int writeToken(std::string_view s);

    // Ends the current line with CR LF: 0 on success, -1 on failure.
    int endLine();

    // The token key:value, written as writeToken writes it.
    int writeIntField(std::string_view key, int value);
    int writeStringField(std::string_view key, std::string_view value);

  private:
    // Writes the token made of the parts one after the other, up to the first NUL byte.
    int writeParts(std::string_view first, std::string_view second = {},
                   std::string_view third = {});
    template <typename Sink>
    int writeParts(Sink sink, std::string_view first, std::string_view second,
                   std::string_view third);

    FILE* stream_ = nullptr;
    std::string* text_ = nullptr;
    bool atLineStart_ = true;
};
