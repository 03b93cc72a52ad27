#pragma once

#include <cstdint>
#include <span>

// CP932 as the GNU C library converts it, for a C library that has no CP932 of its own (the page
// in a browser), so that texts give the same bytes and characters as on Linux. Generated at build
// time from the build machine's iconv (cmake/make_cp932_table.cpp).

// A code (a single byte, or lead byte * 256 + trail byte) and the character it stands for.
struct Cp932Mapping {
    uint16_t code;
    uint16_t character;  // every CP932 character lies in the Basic Multilingual Plane
};

// Every code that CP932 decodes, by code.
extern const std::span<const Cp932Mapping> kCp932Decoding;
// Every character that CP932 encodes, by character: the code it is written as (a character that
// several codes decode to is written as one of them).
extern const std::span<const Cp932Mapping> kCp932Encoding;
