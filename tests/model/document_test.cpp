#include "model/document.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ce3/ce3_writer.h"
#include "model/document_test_files.h"
#include "model/entry.h"
#include "model/junction.h"
#include "model/line_element.h"
#include "platform/atomic_file.h"

namespace {

const std::string kJunction = "+JUNCTION,L:0,X:120,Y:80,-JUNCTION\r\n";
const std::string kWire = "+WIRE,L:0,X1:0,Y1:0,X2:10,Y2:0,-WIRE\r\n";

// An element with a chosen area and validity that writes its name as a one-line record.
class Probe : public SchElement {
  public:
    Probe(std::string name, SchRect box, bool valid = true)
        : name_(std::move(name)), box_(box), valid_(valid) {}

    bool writeCe3(Ce3Writer& writer, const SchPoint*) override {
        writer.writeToken("+PROBE");
        writer.writeStringField("N", name_);
        writer.writeToken("-PROBE");
        writer.endLine();
        return true;
    }
    int kind() const override { return SchKind::Junction; }
    SchRect area() const override { return box_; }
    bool isValid() const override { return valid_; }

  private:
    std::string name_;
    SchRect box_;
    bool valid_;
};

const SchRect kOnSheet(10, 10, 20, 20);

std::unique_ptr<SchElement> probe(const std::string& name, SchRect box = kOnSheet,
                                  bool valid = true) {
    return std::make_unique<Probe>(name, box, valid);
}

std::string probeLine(const std::string& name) {
    return "+PROBE,N:" + name + ",-PROBE\r\n";
}

std::string written(SchDocument& doc, bool includeDeleted) {
    std::string out;
    Ce3Writer writer(&out);
    EXPECT_TRUE(doc.writeElements(writer, doc.elements, includeDeleted, nullptr));
    return out;
}

std::vector<int> kindsOf(const SchElementList& list) {
    std::vector<int> kinds;
    for (const auto& e : list) {
        kinds.push_back(e->kind());
    }
    return kinds;
}

// Puts a copy standing for `replaced` into pending and commits it.
bool replaceAndCommit(SchDocument& doc, SchElement* replaced, const std::string& name,
                      bool discard) {
    auto copy = probe(name);
    copy->link = replaced;
    copy->selection = 3;
    doc.pending.push_back(std::move(copy));
    return doc.commit(discard);
}

TEST(SchDocument, SheetSizeTakenOnlyWithinLimits) {
    struct Case {
        SchPoint size;
        bool taken;
    };
    const std::vector<Case> cases = {
        {{499, 1000}, false},  {{1500, 399}, false}, {{5001, 1000}, false},
        {{1500, 4001}, false}, {{500, 400}, true},   {{5000, 4000}, true},
    };
    for (const Case& c : cases) {
        SchDocument doc;
        doc.setSheetSize(c.size);
        EXPECT_EQ(doc.sheetSize, c.taken ? c.size : SchPoint(1500, 1000))
            << c.size.x << " x " << c.size.y;
    }
}

TEST(SchDocument, AppendStampsAndNullChangesNothing) {
    SchDocument doc;
    EXPECT_EQ(doc.append(nullptr), 0);
    EXPECT_FALSE(doc.modified);
    EXPECT_EQ(doc.append(probe("a")), 1);
    EXPECT_EQ(doc.append(probe("b")), 2);
    EXPECT_TRUE(doc.modified);
    doc.modified = false;
    EXPECT_EQ(doc.append(nullptr), 2);
    EXPECT_FALSE(doc.modified);
    ASSERT_EQ(doc.elements.size(), 2u);
    EXPECT_EQ(doc.elements.front()->stamp, 1);
    EXPECT_EQ(doc.elements.back()->stamp, 2);

    doc.clear();
    EXPECT_TRUE(doc.elements.empty());
    EXPECT_EQ(doc.opCounter, 0);
    EXPECT_FALSE(doc.modified);
}

TEST(SchDocument, WritesElementsMeetingTheSheet) {
    struct Case {
        const char* name;
        SchPoint sheet;
        SchRect area;
        bool written;
    };
    const std::vector<Case> cases = {
        {"inside", {1500, 1000}, {10, 10, 20, 20}, true},
        {"left edge on the right border", {1500, 1000}, {1500, 10, 1600, 20}, true},
        {"corner on the bottom right corner", {1500, 1000}, {1500, 1000, 1510, 1010}, true},
        {"right edge on the left border", {1500, 1000}, {-10, 5, 0, 10}, true},
        {"covering the sheet", {1500, 1000}, {-5, -5, 9000, 9000}, true},
        {"right of the sheet", {1500, 1000}, {1501, 10, 1600, 20}, false},
        {"below the sheet", {1500, 1000}, {10, 1001, 20, 1010}, false},
        {"negative coordinates", {1500, 1000}, {-20, -20, -1, -1}, false},
        {"base class area", {1500, 1000}, {-1, -1, -1, -1}, false},
        {"right of a small sheet", {500, 400}, {501, 0, 600, 10}, false},
    };
    for (const Case& c : cases) {
        SchDocument doc;
        doc.sheetSize = c.sheet;
        doc.append(probe("p", c.area));
        EXPECT_EQ(written(doc, false), c.written ? probeLine("p") : "") << c.name;
    }
}

// A line element meets the sheet, and is written, exactly where its area does: ends just outside
// each edge by the pick box's reach and one unit more, at the ends of the int range, for every
// selection, which narrows the area to the selected end, and for every kind of line.
TEST(SchDocument, LinesMeetTheSheetWhereTheirAreaDoes) {
    struct Case {
        SchPoint p1;
        SchPoint p2;
    };
    const std::vector<Case> cases = {
        {{-3, 10}, {-3, 20}},
        {{-4, 10}, {-4, 20}},
        {{1502, 10}, {1502, 20}},
        {{1503, 10}, {1503, 20}},
        {{10, -3}, {20, -3}},
        {{10, -4}, {20, -4}},
        {{10, 1002}, {20, 1002}},
        {{10, 1003}, {20, 1003}},
        {{-100, -100}, {2000, 2000}},
        {{-100, 500}, {-4, 500}},
        {{1600, 500}, {700, -400}},
        {{2000, -10}, {-10, 2000}},
        {{INT32_MIN, 5}, {INT32_MAX, 5}},
        {{INT32_MIN, INT32_MIN}, {INT32_MIN, INT32_MAX}},
        {{INT32_MAX, INT32_MAX}, {INT32_MAX, INT32_MIN}},
        {{700, 500}, {-400, -400}},
    };
    const std::vector<std::function<std::unique_ptr<SchElement>()>> kinds = {
        [] { return std::make_unique<SchWire>(); },     [] { return std::make_unique<SchBus>(); },
        [] { return std::make_unique<SchDash>(); },     [] { return std::make_unique<SchEntry>(); },
        [] { return std::make_unique<SchBusEntry>(); },
    };
    const SchRect sheet(0, 0, 1500, 1000);
    for (const Case& c : cases) {
        for (const auto& make : kinds) {
            for (const int32_t selection :
                 {SchSelection::None, SchSelection::P1, SchSelection::P2, SchSelection::Whole}) {
                SchDocument doc;
                std::unique_ptr<SchElement> line = make();
                line->p1 = c.p1;
                line->p2 = c.p2;
                line->selection = selection;
                const bool meets = line->area().intersects(sheet);
                EXPECT_EQ(doc.saveFate(*line), meets ? SchDocument::SaveFate::Written
                                                     : SchDocument::SaveFate::OutsideSheet)
                    << "kind " << line->kind() << " from " << c.p1.x << "," << c.p1.y << " to "
                    << c.p2.x << "," << c.p2.y << " selection " << selection;
            }
        }
    }
}

TEST(SchDocument, CommitReplacementLeavesOldElementMarkAndCopy) {
    SchDocument doc;
    doc.append(probe("old"));
    SchElement* old = doc.elements.front().get();
    doc.modified = false;

    EXPECT_TRUE(replaceAndCommit(doc, old, "new", false));

    EXPECT_EQ(doc.opCounter, 2);
    EXPECT_TRUE(doc.modified);
    EXPECT_TRUE(doc.pending.empty());
    ASSERT_EQ(doc.elements.size(), 3u);
    auto it = doc.elements.begin();
    SchElement* mark = std::next(it)->get();
    SchElement* copy = std::next(it, 2)->get();
    EXPECT_EQ(old->link, mark);
    EXPECT_EQ(old->stamp, 1);
    EXPECT_EQ(mark->kind(), SchKind::DeletionMark);
    EXPECT_EQ(mark->link, old);
    EXPECT_EQ(mark->stamp, 2);
    EXPECT_EQ(copy->link, nullptr);
    EXPECT_EQ(copy->stamp, 2);
    EXPECT_EQ(copy->selection, 0);

    // Deleted elements and marks are left out unless asked for.
    EXPECT_EQ(written(doc, false), probeLine("new"));
    EXPECT_EQ(written(doc, true), probeLine("old") + probeLine("new"));
}

TEST(SchDocument, CommitDiscardDeletesAndDropsInvalidElements) {
    SchDocument doc;
    doc.append(probe("old"));
    SchElement* old = doc.elements.front().get();
    EXPECT_TRUE(replaceAndCommit(doc, old, "copy", true));
    EXPECT_EQ(kindsOf(doc.elements), (std::vector<int>{SchKind::Junction, SchKind::DeletionMark}));
    EXPECT_EQ(written(doc, false), "");

    doc.pending.push_back(probe("invalid", kOnSheet, false));
    doc.pending.push_back(probe("added"));
    EXPECT_TRUE(doc.commit(false));
    EXPECT_EQ(doc.opCounter, 3);
    EXPECT_EQ(doc.elements.size(), 3u);
    EXPECT_EQ(written(doc, false), probeLine("added"));

    doc.modified = false;
    EXPECT_FALSE(doc.commit(false));
    EXPECT_EQ(doc.opCounter, 3);
    EXPECT_FALSE(doc.modified);
}

TEST(SchDocument, HistoryKeepsElevenOperations) {
    SchDocument doc;
    doc.append(probe("old"));
    ASSERT_TRUE(replaceAndCommit(doc, doc.elements.front().get(), "new", false));  // op 2
    for (int op = 3; op <= 12; ++op) {
        doc.pending.push_back(probe(std::string("n").append(std::to_string(op))));
        ASSERT_TRUE(doc.commit(false));
    }
    // After op 12 the deletion of op 2 is still held; op 13 lets it go.
    EXPECT_EQ(doc.elements.size(), 13u);
    EXPECT_EQ(doc.historyFloor, 2);
    doc.pending.push_back(probe("n13"));
    ASSERT_TRUE(doc.commit(false));
    EXPECT_EQ(doc.historyFloor, 3);
    ASSERT_EQ(doc.elements.size(), 12u);
    EXPECT_EQ(written(doc, true), written(doc, false));
    EXPECT_EQ(doc.elements.front()->stamp, 2);  // the live copy stays

    // An explicit purge beyond the counter floors at the counter; a lower one is a no-op.
    doc.purgeHistory(100);
    EXPECT_EQ(doc.historyFloor, 13);
    doc.purgeHistory(5);
    EXPECT_EQ(doc.historyFloor, 13);
    EXPECT_EQ(doc.elements.size(), 12u);
}

TEST(SchDocument, PurgeFirstCommitsPending) {
    SchDocument doc;
    doc.append(probe("old"));
    SchElement* old = doc.elements.front().get();
    auto copy = probe("new");
    copy->link = old;
    doc.pending.push_back(std::move(copy));
    doc.purgeHistory(INT32_MAX);
    EXPECT_TRUE(doc.pending.empty());
    EXPECT_EQ(doc.opCounter, 2);
    EXPECT_EQ(doc.historyFloor, 2);
    ASSERT_EQ(doc.elements.size(), 1u);
    EXPECT_EQ(written(doc, true), probeLine("new"));
}

TEST(SchDocument, CounterSaturatesInsteadOfOverflowing) {
    SchDocument doc;
    doc.opCounter = INT32_MAX;
    EXPECT_EQ(doc.append(probe("a")), INT32_MAX);
    doc.opCounter = INT32_MIN;
    doc.pending.push_back(probe("b"));
    EXPECT_TRUE(doc.commit(false));
    EXPECT_EQ(doc.opCounter, INT32_MIN + 1);
}

TEST_F(SchDocumentFiles, LoadResults) {
    struct Case {
        const char* name;
        std::string content;
        int result;
        std::vector<int> kinds;
        SchPoint sheet;  // the document starts at 2000 x 1500
    };
    const SchPoint kept(2000, 1500);
    const SchPoint fresh(1500, 1000);
    const int J = SchKind::Junction;
    const int W = SchKind::Wire;
    const std::vector<Case> cases = {
        {"empty file", "", 0, {}, kept},
        {"blanks and line ends only", " \r\n\t\n\r", 0, {}, kept},
        {"only the magic line", kOpen, 0, {}, fresh},
        {"magic in lower case", "+tovr3_data_v.1.0\r\n", 2, {}, kept},
        {"magic with a trailing space", "+TOVR3_DATA_V.1.0 \r\n" + kClose, 2, {}, kept},
        {"an element first", kJunction + kClose, 2, {}, kept},
        {"blank lines before the magic",
         "\r\n\n \t" + kOpen + sheetInfo(3000, 2000) + kJunction + kClose,
         0,
         {J},
         {3000, 2000}},
        {"a second sheet info is skipped",
         kOpen + sheetInfo(3000, 2000) + sheetInfo(4000, 3000) + kJunction + kClose,
         0,
         {J},
         {3000, 2000}},
        {"sheet info without a height", kOpen + "+SHEETINFO,W:3000,-SHEETINFO\r\n", 1, {}, kept},
        {"an unknown block is skipped whole",
         kOpen + "+FOO,A:1,+WIRE,X1:0,-FOO\r\n" + kJunction + kClose,
         0,
         {J},
         fresh},
        {"an unclosed unknown block", kOpen + kJunction + "+FOO,A:1\r\n" + kWire, 1, {J}, kept},
        {"a wire of length zero is dropped",
         kOpen + "+WIRE,L:0,X1:5,Y1:5,X2:5,Y2:5,-WIRE\r\n" + kWire + kClose,
         0,
         {W},
         fresh},
        {"a wire without Y2 fails",
         kOpen + kJunction + "+WIRE,L:0,X1:0,Y1:0,X2:10,-WIRE\r\n" + kJunction + kClose,
         1,
         {J},
         kept},
        {"a field outside a record", kOpen + kJunction + "A:1\r\n" + kClose, 1, {J}, kept},
        {"a stray closer", kOpen + "-WIRE\r\n" + kClose, 1, {}, kept},
        {"an empty token ends the reading", kOpen + kJunction + ",,A:1\r\n" + kWire, 0, {J}, fresh},
        {"text after the closing magic is never read",
         kOpen + kJunction + kClose + "A:1,+FOO\r\n" + kWire,
         0,
         {J},
         fresh},
        {"no closing magic", kOpen + kJunction + kWire, 0, {J, W}, fresh},
        {"0x1A is an ordinary byte",
         kOpen + "+FOO,A:\x1A\x1A,-FOO\r\n" + kJunction + "\x1A" + kClose,
         1,
         {J},
         kept},
        {"0x1A inside a skipped block",
         kOpen + "+FOO,A:\x1A\x1A,-FOO\r\n" + kJunction + kClose,
         0,
         {J},
         fresh},
        {"every element opener",
         kOpen + kJunction + "+LABEL,L:0,X:300,Y:120,D:1,S:A1,-LABEL\r\n" +
             "+COMMENT,L:0,X:120,Y:340,S:abc,FN:Gothic,FS:10,FF:B,-COMMENT\r\n" +
             "+TAG,L:0,X:40,Y:60,D:1,T:1,S:IN,-TAG\r\n" + kWire +
             "+BUS,L:0,X1:0,Y1:0,X2:10,Y2:0,-BUS\r\n" + "+DASH,L:0,X1:0,Y1:0,X2:10,Y2:0,-DASH\r\n" +
             "+ENTRY,L:0,X1:100,Y1:200,X2:110,Y2:190,-ENTRY\r\n" +
             "+BENTRY,L:0,X1:100,Y1:200,X2:110,Y2:190,-BENTRY\r\n" +
             "+COMPONENT,X:10,Y:20,LIB:R,-COMPONENT\r\n" + kClose,
         0,
         {J, SchKind::Label, SchKind::Comment, SchKind::Tag, W, SchKind::Bus, SchKind::Dash,
          SchKind::Entry, SchKind::BusEntry, SchKind::Component},
         fresh},
    };
    const std::string path = pathOf("in.ce3");
    for (const Case& c : cases) {
        writeFile(path, c.content);
        SchDocument doc;
        doc.setSheetSize(kept);
        doc.append(probe("before"));
        EXPECT_EQ(doc.load(path.c_str()), c.result) << c.name;
        EXPECT_EQ(kindsOf(doc.elements), c.kinds) << c.name;
        EXPECT_EQ(doc.sheetSize, c.sheet) << c.name;
        EXPECT_EQ(doc.opCounter, 0) << c.name;
        EXPECT_FALSE(doc.modified) << c.name;
    }
}

// A load that fails says on which line and why; what was read before stays.
TEST_F(SchDocumentFiles, LoadSaysWhereItStopped) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {kOpen + kJunction + kClose, "read to the end"},
        {kOpen + "+SHEETINFO,W:3000,-SHEETINFO\r\n",
         "drawn up to line 2: a SHEETINFO record that cannot be read"},
        {kOpen + kJunction + "+WIRE,L:0,X1:0,Y1:0,X2:10,-WIRE\r\n" + kJunction,
         "drawn up to line 3: a WIRE record that cannot be read"},
        {kOpen + kJunction + "\r\n+FOO,A:1\r\n" + kWire,
         "drawn up to line 4: a FOO block without its end"},
        {kOpen + kJunction + "A:1\r\n", "drawn up to line 3: \"A:1\" outside any record"},
    };
    const std::string path = pathOf("in.ce3");
    for (const auto& [content, said] : cases) {
        writeFile(path, content);
        SchDocument doc;
        Ce3LoadReport stop;
        doc.load(path.c_str(), stop);
        EXPECT_EQ(describeCe3Stop(stop), said) << content;
    }
}

// A temporary left by a process that no longer runs (killed before its save replaced the file)
// is removed by the next save into its folder; those of running processes stay.
TEST_F(SchDocumentFiles, TemporariesOfEndedProcessesAreRemoved) {
    const std::string live = temporaryNameFor(pathOf("x.ce3"));
    const std::string liveName = live.substr(live.rfind(".morvex-"));  // .morvex-PID-START-R.tmp
    const std::size_t startAt = liveName.find('-', 8) + 1;
    // This process's id with another start time.
    const std::string reusedPid = liveName.substr(0, startAt) + "1" + liveName.substr(startAt);
    const std::vector<std::pair<std::string, bool>> cases = {
        {liveName, true},
        {reusedPid, false},
        {".morvex-7fffffff-1-0123456789abcdef.tmp", false},  // no such process
        {".morvex-7fffffff-1-0123456789abcdef.tmp.keep", true},
        {".morvex-0123456789abcdef.tmp", true},  // no process named
        {"morvex-7fffffff-1-0123456789abcdef.tmp", true},
    };
    for (const auto& [name, kept] : cases) {
        writeFile(pathOf(name), "old");
    }
    SchDocument doc;
    ASSERT_EQ(doc.save(pathOf("x.ce3").c_str()), 0);
    for (const auto& [name, kept] : cases) {
        EXPECT_EQ(std::filesystem::exists(pathFromUtf8(pathOf(name))), kept) << name;
    }
}

TEST_F(SchDocumentFiles, LoadOfMissingFileOrDirectoryFails) {
    std::filesystem::create_directory(pathOf("dir.ce3"));
    for (const char* name : {"missing.ce3", "dir.ce3"}) {
        SchDocument doc;
        doc.append(probe("before"));
        EXPECT_EQ(doc.load(pathOf(name).c_str()), 1) << name;
        EXPECT_TRUE(doc.elements.empty()) << name;
    }
}

TEST_F(SchDocumentFiles, EmptyDocumentSavesThreeLines) {
    SchDocument doc;
    const std::string path = pathOf("empty.ce3");
    EXPECT_EQ(doc.save(path.c_str()), 0);
    EXPECT_EQ(readFile(path), kOpen + sheetInfo(1500, 1000) + kClose);
    EXPECT_EQ(entries(), std::vector<std::string>{"empty.ce3"});
}

// A document whose save leaves out an element off the sheet and commits a pending replacement.
void fillForSave(SchDocument& doc) {
    doc.setSheetSize({2000, 1500});
    auto onSheet = std::make_unique<SchJunction>();
    onSheet->setP1({120, 80});
    onSheet->layer = 3;
    auto offSheet = std::make_unique<SchJunction>();
    offSheet->setP1({-50, -50});
    auto replaced = std::make_unique<SchJunction>();
    replaced->setP1({10, 10});
    SchElement* replacedPtr = replaced.get();
    doc.append(std::move(onSheet));
    doc.append(std::move(offSheet));
    doc.append(std::move(replaced));
    auto copy = std::make_unique<SchJunction>();
    copy->setP1({30, 40});
    copy->link = replacedPtr;
    doc.pending.push_back(std::move(copy));  // committed by save
}

TEST_F(SchDocumentFiles, SaveWritesLiveElementsOnTheSheetAndReadsThemBack) {
    SchDocument doc;
    fillForSave(doc);
    const std::string path = pathOf("out.ce3");
    ASSERT_EQ(doc.save(path.c_str()), 0);
    EXPECT_EQ(readFile(path), kOpen + sheetInfo(2000, 1500) +
                                  "+JUNCTION,L:3,X:120,Y:80,-JUNCTION\r\n" +
                                  "+JUNCTION,L:0,X:30,Y:40,-JUNCTION\r\n" + kClose);

    // The document now holds what the file reads back as.
    EXPECT_EQ(doc.opCounter, 0);
    EXPECT_FALSE(doc.modified);
    EXPECT_EQ(doc.sheetSize, SchPoint(2000, 1500));
    ASSERT_EQ(doc.elements.size(), 2u);
    for (const auto& e : doc.elements) {
        EXPECT_EQ(e->stamp, 0);
        EXPECT_EQ(e->layer, 0);
        EXPECT_EQ(e->link, nullptr);
    }
    EXPECT_EQ(doc.elements.back()->p1, SchPoint(30, 40));
}

// A write gives the file that a save gives, and leaves in memory every element read, those off
// the sheet included.
TEST_F(SchDocumentFiles, WriteWritesWhatSaveWritesAndKeepsTheElements) {
    SchDocument saved;
    fillForSave(saved);
    ASSERT_EQ(saved.save(pathOf("saved.ce3").c_str()), 0);
    SchDocument written;
    fillForSave(written);
    SchSaveOutcome outcome;
    ASSERT_EQ(written.write(pathOf("written.ce3").c_str(), &outcome), 0);
    EXPECT_TRUE(outcome.written);
    EXPECT_EQ(readFile(pathOf("written.ce3")), readFile(pathOf("saved.ce3")));
    EXPECT_TRUE(written.pending.empty());
    const auto offSheet = std::count_if(written.elements.begin(), written.elements.end(),
                                        [](const auto& e) { return e->p1 == SchPoint(-50, -50); });
    EXPECT_EQ(offSheet, 1);
}

}  // namespace
