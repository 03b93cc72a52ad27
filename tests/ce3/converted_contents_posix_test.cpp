#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "ce2/ce2_stream_posix.h"
#include "ce3/converted_contents.h"

// A file that fails to be read is kept with the system's cause, wherever it fails.
TEST(ConvertedContents, ReadErrorKeepsTheFile) {
    const std::string converted =
        "+TOVR3_DATA_V.1.0\r\n+SHEETINFO,EL:0,VL:0,W:640,H:480,-SHEETINFO\r\n"
        "+LABEL,L:0,X:1,Y:2,D:0,S:a%20b,-LABEL\r\n-TOVR3_DATA_V.1.0\r\n";
    for (const std::size_t readable : {std::size_t{0}, std::size_t{60}, converted.size() - 12}) {
        ce2test::FailingStream stream(converted.substr(0, readable));
        ASSERT_NE(stream.get(), nullptr);
        const ContentsCheck check = checkConvertedContents(stream.get());
        EXPECT_EQ(check.finding, ContentsFinding::ReadError) << readable;
        EXPECT_EQ(check.error, EIO) << readable;
    }
}
