// Regular files held whole in memory, mapped or read, and what is refused or cut meanwhile.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "platform/mapped_file.h"
#include "support/temp_dir.h"

namespace {

// Bytes of every value, so that a byte lost or moved shows.
std::string patterned(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + i / 251) % 255 + 1);
    }
    return bytes;
}

}  // namespace

// Both ways of holding a file give its bytes, whatever its size; anything but a regular file is
// refused without waiting (a FIFO without a writer would block a plain open).
TEST(MappedFile, HoldsARegularFileWholeAndRefusesTheRest) {
    TempDir dir;
    const std::string small = patterned(100);
    const std::string large = patterned(kMappedFileMinBytes + 4099);
    writeBytes(dir / "small", small);
    writeBytes(dir / "large", large);
    writeBytes(dir / "empty", "");
    writeBytes(dir / "unreadable", small);
    ASSERT_EQ(::chmod((dir / "unreadable").c_str(), 0), 0);
    ASSERT_EQ(::mkdir((dir / "folder").c_str(), 0700), 0);
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    const struct {
        const char* name;
        std::string bytes;
        int openError;
        bool notRegular;
    } cases[] = {
        {"small", small, 0, false},
        {"large", large, 0, false},
        {"empty", "", 0, false},
        {"missing", "", ENOENT, false},
        {"unreadable", ::geteuid() == 0 ? small : "", ::geteuid() == 0 ? 0 : EACCES, false},
        {"folder", "", 0, true},
        {"pipe", "", 0, true},
    };
    for (const auto& c : cases) {
        for (const auto hold : {mapRegularFile, readRegularFile}) {
            const MappedFile file = hold(dir / c.name);
            EXPECT_EQ(file.openError, c.openError) << c.name;
            EXPECT_EQ(file.notRegular, c.notRegular) << c.name;
            EXPECT_EQ(file.opened(), c.openError == 0 && !c.notRegular) << c.name;
            EXPECT_EQ(file.readError, 0) << c.name;
            EXPECT_TRUE(file.bytes.view() == c.bytes) << c.name;
            EXPECT_FALSE(file.bytes.cut()) << c.name;
        }
    }
}

// A mapped file that another program shortens is read to its end all the same: the bytes it kept
// as they are, those it lost as zeros, and it is said cut, also once its bytes have moved. Each
// mapping gives back what watches it: more files than the system watches at once, one after the
// other, are each mapped.
TEST(MappedFile, AFileShortenedWhileMappedReadsAsZerosAndIsSaidCut) {
    TempDir dir;
    const std::string path = dir / "cut";
    const std::string bytes = patterned(kMappedFileMinBytes + 3 * 4096);
    constexpr std::size_t kKept = 100;
    for (int round = 0; round < 70; ++round) {
        writeBytes(path, bytes);
        MappedFile mapped = mapRegularFile(path);
        ASSERT_TRUE(mapped.bytes.view() == bytes) << round;
        ASSERT_EQ(::truncate(path.c_str(), kKept), 0);
        const std::string_view seen = mapped.bytes.view();
        ASSERT_EQ(seen.size(), bytes.size()) << round;
        EXPECT_TRUE(seen.substr(0, kKept) == std::string_view(bytes).substr(0, kKept)) << round;
        EXPECT_EQ(static_cast<std::size_t>(std::count(seen.begin() + kKept, seen.end(), '\0')),
                  bytes.size() - kKept)
            << round;
        EXPECT_TRUE(mapped.bytes.cut()) << round;
        const FileBytes moved = std::move(mapped.bytes);
        EXPECT_TRUE(moved.cut()) << round;
        EXPECT_EQ(moved.view().size(), bytes.size()) << round;
    }
    const MappedFile shortened = mapRegularFile(path);
    EXPECT_TRUE(shortened.bytes.view() == std::string_view(bytes).substr(0, kKept));
    EXPECT_FALSE(shortened.bytes.cut());
}
