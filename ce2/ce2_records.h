#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>

#include "ce2/ce2_reader.h"

// Body sizes of the fixed-size records, in bytes after the type byte.
inline constexpr std::size_t kCe2PointBody = 5;       // junction, entry
inline constexpr std::size_t kCe2LineBody = 9;        // bus, wire, dashed line
inline constexpr std::size_t kCe2TextBody = 17;       // label, tag
inline constexpr std::size_t kCe2ComponentBody = 59;  // component
inline constexpr std::size_t kCe2HeaderBody = 59;     // header
inline constexpr std::size_t kCe2CommentFixed = 11;   // comment, before its variable part

// A comment's record length L counts the type byte, the fixed and the variable part.
inline constexpr int kCe2MinCommentLength = 14;
inline constexpr int kCe2MaxCommentLength = 77;

// readCe2Comment that also tells why it gave null (CutRecord or BadCommentLength) and the
// record length L once the fixed part has been read (0 before).
std::unique_ptr<SchElement> readCe2CommentChecked(FILE* stream, const ConversionOptions& options,
                                                  Ce2Stop& failure, int& length);

// readCe2Header that also tells why it gave null (CutRecord or BadMagic).
std::unique_ptr<SchSheetInfo> readCe2HeaderChecked(FILE* stream, Ce2Stop& failure);
