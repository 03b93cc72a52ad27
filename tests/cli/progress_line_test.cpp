#include "cli/progress_line.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class Progress : public ::testing::Test {
  protected:
    std::ostringstream out;
    Clock::time_point now{};
    ProgressLine line{out, 30, [this] { return now; }};
};

TEST_F(Progress, ShownAfterASecondOfOneFileRewrittenInPlaceAndCleared) {
    line.update(0, {"a.ce2", "a.ce3"}, FileStage::Reading, 0, 200);
    now += 999ms;
    line.update(0, {"a.ce2", "a.ce3"}, FileStage::Reading, 100, 200);
    EXPECT_EQ(out.str(), "");  // a file that takes less than a second shows nothing

    now += 1ms;
    line.update(0, {"a.ce2", "a.ce3"}, FileStage::Reading, 100, 200);
    line.update(0, {"a.ce2", "a.ce3"}, FileStage::Reading, 101,
                200);  // the same text is not written again
    line.update(0, {"a.ce2", "a.ce3"}, FileStage::Writing, 1, 4);
    line.update(0, {"a.ce2", "longer-name.ce3"}, FileStage::Writing, 4, 4);
    line.update(0, {"a.ce2", "a.ce3"}, FileStage::Reading, 200,
                200);  // shorter: blanks cover the rest
    line.clear();
    line.clear();
    EXPECT_EQ(out.str(),
              "\ra.ce2: reading 50%"
              "\ra.ce2: writing a.ce3 25%"
              "\r...iting longer-name.ce3 100%"  // cut to 29 bytes
              "\ra.ce2: reading 100%          "
              "\r" +
                  std::string(19, ' ') + "\r");

    // The next file starts its own second.
    out.str("");
    line.update(1, {"b.ce2", "b.ce3"}, FileStage::Reading, 0, 10);
    now += 500ms;
    line.update(1, {"b.ce2", "b.ce3"}, FileStage::Reading, 5, 10);
    EXPECT_EQ(out.str(), "");
}

TEST_F(Progress, NeverWiderThanTheTerminal) {
    // 29 bytes at most; the start of a long path gives way, never inside a UTF-8 character.
    line.update(0, {"/very/long/folder/name/回路図.ce2", "/very/long/folder/name/回路図.ce3"},
                FileStage::Reading, 0, 4);
    now += 2s;
    line.update(0, {"/very/long/folder/name/回路図.ce2", "/very/long/folder/name/回路図.ce3"},
                FileStage::Reading, 1, 4);
    EXPECT_EQ(out.str(), "\r...回路図.ce2: reading 25%");
    line.update(1, {"/very/long/folder/name/x.ce2", "/very/long/folder/name/x.ce3"},
                FileStage::Reading, 0, 0);
    now += 2s;
    line.update(1, {"/very/long/folder/name/x.ce2", "/very/long/folder/name/x.ce3"},
                FileStage::Reading, 0, 0);
    EXPECT_EQ(out.str().substr(out.str().rfind('\r')), "\r...der/name/x.ce2: reading 0%");
    EXPECT_LE(out.str().size() - out.str().rfind('\r') - 1, 29u);
}

}  // namespace
