#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "ce3/converted_contents.h"

// A file that fails to be read is kept with the system's cause, wherever it fails.
TEST(ConvertedContents, ReadErrorKeepsTheFile) {
    const std::string converted =
        "+TOVR3_DATA_V.1.0\r\n+SHEETINFO,EL:0,VL:0,W:640,H:480,-SHEETINFO\r\n"
        "+LABEL,L:0,X:1,Y:2,D:0,S:a%20b,-LABEL\r\n-TOVR3_DATA_V.1.0\r\n";
    for (const std::size_t readable : {std::size_t{0}, std::size_t{60}, converted.size() - 12}) {
        const ContentsCheck check = checkConvertedContents(converted.substr(0, readable), EIO);
        EXPECT_EQ(check.finding, ContentsFinding::ReadError) << readable;
        EXPECT_EQ(check.error, EIO) << readable;
    }
}
