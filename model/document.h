#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/element.h"
#include "model/element_arena.h"
#include "platform/atomic_file.h"
#include "platform/numbers.h"

class Ce3Reader;
class Ce3Writer;
class SchSheetInfo;

// Records, in a document's history, the deletion of the element named by its link.
class SchDeletionMark : public SchElement {
  public:
    int kind() const override { return SchKind::DeletionMark; }
};

// Owning pointers in order: an element keeps its address for its whole life, whatever the list
// does, so links between elements stay valid.
using SchElementList = std::vector<SchElementPtr>;

// How far a save has got: the elements it has gone through to write them, then the elements it
// has read back. Told at the start of each and about every kSaveProgressElements elements.
enum class SchSaveStage { Writing, ReadingBack };
using SchSaveProgress = std::function<void(SchSaveStage stage, uint64_t elements)>;
inline constexpr uint64_t kSaveProgressElements = 1 << 14;

// What a save or write did beyond its result.
struct SchSaveOutcome {
    bool written = false;  // the file holds the drawing (a save reads it back after that)
    WriteFailure failure;  // why it was not written
};

// What a write tells its caller, and asks it, on the way.
struct SchWriteHooks {
    std::function<void(uint64_t)> counted;  // told as for SchDocument::writeElements
    // Each block of the file's bytes, in order, once written to the temporary file.
    std::function<void(std::string_view)> handedOn;
    // Asked just before the file takes its name (AtomicFile::commit): false keeps the target.
    std::function<bool()> mayReplace;
};

// Where and why loading a CE3 file stopped before its end.
enum class Ce3Stop {
    EndOfFile,      // read whole
    BadRecord,      // a record whose fields cannot be read
    UnclosedBlock,  // a block of another kind whose closing token never comes
    StrayText       // text outside any record
};
struct Ce3LoadReport {
    Ce3Stop stop = Ce3Stop::EndOfFile;
    int32_t line = 0;    // the line on which the record or text that stopped it begins
    std::string record;  // the record's name ("LABEL"), or the text
};

// "drawn up to line 12: a LABEL record that cannot be read", for reports.
std::string describeCe3Stop(const Ce3LoadReport& report);

// One drawing in memory: the sheet size, the ordered element list with its short edit history,
// and saving to and loading from CE3 files.
class SchDocument {
    // The elements that readElements builds; declared first, so that it outlives the lists.
    SchElementArena arena_;

  public:
    static constexpr int32_t kHistoryDepth = 10;

    bool modified = false;
    SchPoint sheetSize{1500, 1000};
    int32_t opCounter = 0;
    int32_t historyFloor = 0;
    SchElementList elements;  // live elements, deleted ones kept for the history, and marks
    SchElementList pending;   // edited or new elements waiting for commit

    SchDocument();
    SchDocument(const SchDocument&) = delete;
    SchDocument& operator=(const SchDocument&) = delete;
    virtual ~SchDocument();

    // Takes the size only within 500..5000 x 400..4000.
    void setSheetSize(SchPoint size);
    // Takes ownership, stamps e with the next operation number; returns opCounter. Inline: a
    // drawing read appends every element.
    int32_t append(SchElementPtr e) {
        if (!e) {
            return opCounter;
        }
        opCounter = clamp32(int64_t{opCounter} + 1);
        modified = true;
        e->stamp = opCounter;
        elements.push_back(std::move(e));
        return opCounter;
    }
    // Where elements that the document is to hold may be built, one after another in its own
    // large blocks (see readCe2File): such an element must not outlive the document.
    SchElementArena& elementArena() { return arena_; }
    void clear();
    // Folds pending into elements as one operation; false when nothing was pending.
    bool commit(bool discard);
    // Drops deleted elements and marks of operations older than `oldest`.
    void purgeHistory(int32_t oldest);
    // Whether the area of e meets the sheet: only such elements are written.
    bool meetsSheet(const SchElement& e) const;
    // What a save does with a live element: writes it, or leaves it out because it lies outside
    // the sheet, or because it is a label or comment without text, whose record no reader takes.
    enum class SaveFate { Written, OutsideSheet, EmptyText };
    SaveFate saveFate(const SchElement& e) const;
    // Both tell `counted`, when given, at the start and about every kSaveProgressElements elements
    // how many they have gone through (writing) or read.
    bool writeElements(Ce3Writer& writer, const SchElementList& list, bool includeDeleted,
                       const SchPoint* offset, const std::function<void(uint64_t)>& counted = {});
    // The elements read are built in memory of the document: `list` must not outlive it.
    // When it fails, `stop`, if given, learns where and why.
    bool readElements(Ce3Reader& reader, SchElementList& list, const SchPoint* offset,
                      SchSheetInfo* sheetInfo, const std::function<void(uint64_t)>& counted = {},
                      Ce3LoadReport* stop = nullptr);
    // 0 saved, 1 failed: writes the file, then empties the document and reads back what it wrote.
    // The file is replaced atomically: on failure an existing file stays byte for byte as it was
    // and no temporary file is left. When outcome is not null it learns whether the file was
    // written and why not.
    int save(const char* path, SchSaveOutcome* outcome = nullptr,
             const SchSaveProgress& progress = {});
    // 0 written, 1 failed: the file as save writes it, replaced in the same way, with the
    // document left as it was once its pending edits are committed. For a document that is
    // released after it has been written.
    int write(const char* path, SchSaveOutcome* outcome = nullptr, const SchWriteHooks& hooks = {});
    // The lines of the file that write writes, to any writer (a text in memory): the document
    // as it is, pending edits not committed. `counted` is told as for writeElements.
    void writeFile(Ce3Writer& writer, const std::function<void(uint64_t)>& counted = {});
    // 0 loaded, 1 failed, 2 not a CE3 file.
    int load(const char* path);
    // The same; when it fails after reading the file's start (1), the elements read before the
    // fault stay, and `stop` learns where and why it stopped.
    int load(const char* path, Ce3LoadReport& stop);
    // The same from the bytes of a file held in memory: 0, 1 or 2 as for a file of those bytes.
    int load(std::string_view bytes, Ce3LoadReport& stop);

  private:
    // meetsSheet for e of the kind `kind`.
    bool meetsSheet(const SchElement& e, int kind) const;
    int loadFile(const char* path, const std::function<void(uint64_t)>& counted,
                 Ce3LoadReport* stop = nullptr);
    int loadFrom(Ce3Reader& reader, const std::function<void(uint64_t)>& counted,
                 Ce3LoadReport* stop);
};
