#include "app/core/report_file.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// Cells as the report writes them: formula starts made text, bytes that are not UTF-8 written as
// \xNN, then RFC 4180 quoting of what results.
TEST(CsvField, IsSafeForSpreadsheetsAndQuoted) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"x.ce2", "x.ce2"},
        {"", ""},
        {"a,b.ce2", "\"a,b.ce2\""},
        {"say \"hi\".ce2", "\"say \"\"hi\"\".ce2\""},
        {"two\nlines", "\"two\nlines\""},
        // Each start of a formula; only at the start.
        {"=SUM(A1).ce2", "'=SUM(A1).ce2"},
        {"+1.ce2", "'+1.ce2"},
        {"-1.ce2", "'-1.ce2"},
        {"@x.ce2", "'@x.ce2"},
        {"\tx.ce2", "'\tx.ce2"},
        {"\rx.ce2", "\"'\rx.ce2\""},
        {"=a,b", "\"'=a,b\""},
        {"=\"a\"", "\"'=\"\"a\"\"\""},
        {"a=b-c+d@e", "a=b-c+d@e"},
        // UTF-8 as it is, up to four bytes.
        {"回路.ce2", "回路.ce2"},
        {"\xC3\xA9\xF0\x9F\x98\x80", "\xC3\xA9\xF0\x9F\x98\x80"},
        // Bytes that are not UTF-8, each on its own, in upper-case hexadecimal.
        {"\x82\xA0.ce2", "\\x82\\xA0.ce2"},
        {"\x89\xf1\x98\x48.ce2", "\\x89\\xF1\\x98H.ce2"},
        {"\xC0\xAF", "\\xC0\\xAF"},                    // an overlong '/'
        {"\xE0\x80\xAF", "\\xE0\\x80\\xAF"},           // an overlong '/' in three bytes
        {"\xED\xA0\x80", "\\xED\\xA0\\x80"},           // a surrogate
        {"\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},  // beyond U+10FFFF
        {"\xE5\x9B", "\\xE5\\x9B"},                    // cut short at the end
        {"\xE5\x9B!", "\\xE5\\x9B!"},                  // cut short by an ASCII byte
        {"\xFF", "\\xFF"},
        // An escaped byte first is no formula; one that follows a formula start is escaped.
        {"\x82=x", "\\x82=x"},
        {"=\x82", "'=\\x82"},
        {"\x82,x", "\"\\x82,x\""},
    };
    for (const auto& [cell, written] : cases) {
        EXPECT_EQ(csvField(cell), written) << cell;
    }
}

}  // namespace
