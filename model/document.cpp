#include "model/document.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>

#include "ce3/ce3_reader.h"
#include "ce3/ce3_writer.h"
#include "ce3/record_body.h"
#include "ce3/record_names.h"
#include "model/comment.h"
#include "model/component.h"
#include "model/entry.h"
#include "model/junction.h"
#include "model/label.h"
#include "model/line_element.h"
#include "model/sheet_info.h"
#include "model/tag.h"
#include "platform/atomic_file.h"
#include "platform/files.h"
#include "platform/text.h"

namespace {

template <typename T>
SchElementPtr make(SchElementArena& arena) {
    return arena.make<T>();
}

struct Opener {
    std::string_view token;
    SchElementPtr (*create)(SchElementArena&);
};

constexpr Opener kOpeners[] = {
    {kCe3Junction.open(), make<SchJunction>}, {kCe3Label.open(), make<SchLabel>},
    {kCe3Comment.open(), make<SchComment>},   {kCe3Tag.open(), make<SchTag>},
    {kCe3Wire.open(), make<SchWire>},         {kCe3Bus.open(), make<SchBus>},
    {kCe3Dash.open(), make<SchDash>},         {kCe3Entry.open(), make<SchEntry>},
    {kCe3BusEntry.open(), make<SchBusEntry>}, {kCe3Component.open(), make<SchComponent>},
};

// A new element of the class that `token` opens, built in arena; null when it opens none.
SchElementPtr elementFor(std::string_view token, SchElementArena& arena) {
    for (const Opener& opener : kOpeners) {
        if (token == opener.token) {
            return opener.create(arena);
        }
    }
    return nullptr;
}

// Whether elements of the kind are line elements (SchLineElement).
bool isLineKind(int kind) {
    switch (kind) {
        case SchKind::Wire:
        case SchKind::Bus:
        case SchKind::Dash:
        case SchKind::Entry:
        case SchKind::BusEntry:
            return true;
        default:
            return false;
    }
}

// Counts elements and tells the count at the start and about every kSaveProgressElements; costs
// one comparison per element when nobody listens.
class ElementCount {
  public:
    explicit ElementCount(const std::function<void(uint64_t)>& counted)
        : counted_(counted), nextReport_(counted ? kSaveProgressElements : UINT64_MAX) {
        if (counted_) {
            counted_(0);
        }
    }

    void next() {
        if (++count_ == nextReport_) {
            counted_(count_);
            nextReport_ += kSaveProgressElements;
        }
    }

  private:
    const std::function<void(uint64_t)>& counted_;
    uint64_t count_ = 0;
    uint64_t nextReport_;
};

}  // namespace

SchDocument::SchDocument() {
    clear();
}

SchDocument::~SchDocument() {
    clear();
}

void SchDocument::setSheetSize(SchPoint size) {
    if (size.x >= SchSheetInfo::kMinWidth && size.x <= SchSheetInfo::kMaxWidth &&
        size.y >= SchSheetInfo::kMinHeight && size.y <= SchSheetInfo::kMaxHeight) {
        sheetSize = size;
    }
}

void SchDocument::clear() {
    modified = false;
    opCounter = 0;
    historyFloor = 0;
    elements.clear();
    pending.clear();
}

bool SchDocument::commit(bool discard) {
    if (pending.empty()) {
        return false;
    }
    opCounter = clamp32(int64_t{opCounter} + 1);
    modified = true;
    for (SchElementPtr& e : pending) {
        if (!e) {
            continue;
        }
        if (e->link != nullptr) {
            // e replaces the element its link names: hide that one behind a deletion mark.
            auto mark = std::make_unique<SchDeletionMark>();
            mark->stamp = opCounter;
            mark->link = e->link;
            e->link->link = mark.get();
            elements.push_back(std::move(mark));
        }
        if (discard || !e->isValid()) {
            e.reset();
            continue;
        }
        e->stamp = opCounter;
        e->link = nullptr;
        e->clearSelection();
        elements.push_back(std::move(e));
    }
    pending.clear();
    purgeHistory(clamp32(int64_t{opCounter} - kHistoryDepth));
    return true;
}

void SchDocument::purgeHistory(int32_t oldest) {
    commit(false);
    if (oldest <= historyFloor) {
        return;
    }
    // Entries are destroyed as they are met, and those that stay move up in place, in order.
    auto kept = elements.begin();
    for (SchElementPtr& entry : elements) {
        const SchElement* x = entry.get();
        bool drop = false;
        if (x == nullptr) {
            drop = true;
        } else if (x->kind() == SchKind::DeletionMark) {
            drop = x->stamp < oldest;
        } else if (x->link != nullptr) {
            // A deleted element stands before its mark, so the mark is still alive here.
            drop = x->link->stamp < oldest;
        }
        if (drop) {
            entry.reset();
            continue;
        }
        if (&*kept != &entry) {
            *kept = std::move(entry);
        }
        ++kept;
    }
    elements.erase(kept, elements.end());
    historyFloor = std::min(oldest, opCounter);
}

bool SchDocument::meetsSheet(const SchElement& e) const {
    return meetsSheet(e, e.kind());
}

bool SchDocument::meetsSheet(const SchElement& e, int kind) const {
    if (e.selection == SchSelection::None && isLineKind(kind)) {
        // The area of a line element that has no selection spans the pick boxes of both ends,
        // (x - 2, y - 2) to (x + 3, y + 3): answered from the ends, without building it, as most
        // elements of a drawing are lines.
        const auto [left, right] = std::minmax(e.p1.x, e.p2.x);
        const auto [top, bottom] = std::minmax(e.p1.y, e.p2.y);
        return int64_t{right} + 3 >= 0 && int64_t{left} - 2 <= sheetSize.x &&
               int64_t{bottom} + 3 >= 0 && int64_t{top} - 2 <= sheetSize.y;
    }
    return e.area().intersects(SchRect(0, 0, sheetSize.x, sheetSize.y));
}

SchDocument::SaveFate SchDocument::saveFate(const SchElement& e) const {
    const int kind = e.kind();
    if (!meetsSheet(e, kind)) {
        return SaveFate::OutsideSheet;
    }
    // Texts are written as C strings: one that starts with NUL is written empty.
    const std::string* text = nullptr;
    if (kind == SchKind::Label) {
        text = &static_cast<const SchLabel&>(e).text;
    } else if (kind == SchKind::Comment) {
        text = &static_cast<const SchComment&>(e).text;
    }
    return text != nullptr && text->c_str()[0] == '\0' ? SaveFate::EmptyText : SaveFate::Written;
}

bool SchDocument::writeElements(Ce3Writer& writer, const SchElementList& list, bool includeDeleted,
                                const SchPoint* offset,
                                const std::function<void(uint64_t)>& counted) {
    ElementCount count(counted);
    for (const SchElementPtr& e : list) {
        if (e && (includeDeleted || e->link == nullptr) && saveFate(*e) == SaveFate::Written) {
            e->writeCe3(writer, offset);
        }
        count.next();
    }
    return true;
}

bool SchDocument::readElements(Ce3Reader& reader, SchElementList& list, const SchPoint* offset,
                               SchSheetInfo* sheetInfo,
                               const std::function<void(uint64_t)>& counted, Ce3LoadReport* stop) {
    ElementCount count(counted);
    bool sheetInfoRead = false;
    std::string_view token;
    const auto stopped = [stop](Ce3Stop why, int line, std::string_view what) {
        if (stop != nullptr) {
            *stop = {why, line, std::string(what)};
        }
        return false;
    };
    for (;;) {
        const int line = reader.nextToken(token);
        if (line < 0 || token.empty()) {
            return true;
        }
        if (token == kCe3SheetInfo.open() && sheetInfo != nullptr && !sheetInfoRead) {
            sheetInfoRead = true;
            if (!sheetInfo->readCe3(reader, offset, this)) {
                return stopped(Ce3Stop::BadRecord, line, kCe3SheetInfo.open().substr(1));
            }
            continue;
        }
        if (SchElementPtr e = elementFor(token, arena_)) {
            const std::string name(token.substr(1));  // the reader reuses the token's bytes
            if (!e->readCe3(reader, offset, this)) {
                return stopped(Ce3Stop::BadRecord, line, name);
            }
            if (e->isValid()) {
                list.push_back(std::move(e));
                count.next();
            }
            continue;
        }
        if (token == kCe3Magic.close()) {
            return true;
        }
        if (token[0] != '+') {
            return stopped(Ce3Stop::StrayText, line, token);
        }
        const std::string name(token.substr(1));
        if (reader.skipUntil(closerOf(token)) < 0) {
            return stopped(Ce3Stop::UnclosedBlock, line, name);
        }
    }
}

std::string describeCe3Stop(const Ce3LoadReport& report) {
    std::string what;
    switch (report.stop) {
        case Ce3Stop::EndOfFile:
            return translated("read to the end");
        case Ce3Stop::BadRecord:
            what = formatted(translated("a %s record that cannot be read"), report.record.c_str());
            break;
        case Ce3Stop::UnclosedBlock:
            what = formatted(translated("a %s block without its end"), report.record.c_str());
            break;
        case Ce3Stop::StrayText:
            what = formatted(translated("\"%s\" outside any record"),
                             report.record.substr(0, 40).c_str());
            break;
    }
    return formatted(translated("drawn up to line %ld: %s"), static_cast<long>(report.line),
                     what.c_str());
}

int SchDocument::save(const char* path, SchSaveOutcome* outcome, const SchSaveProgress& progress) {
    const auto stage = [&progress](SchSaveStage at) {
        return progress ? [&progress, at](uint64_t n) { progress(at, n); }
                        : std::function<void(uint64_t)>();
    };
    SchWriteHooks hooks;
    hooks.counted = stage(SchSaveStage::Writing);
    if (write(path, outcome, hooks) != 0) {
        return 1;
    }
    clear();
    loadFile(path, stage(SchSaveStage::ReadingBack));
    modified = false;
    return 0;
}

int SchDocument::write(const char* path, SchSaveOutcome* outcome, const SchWriteHooks& hooks) {
    commit(false);
    if (path == nullptr) {
        return 1;
    }
    AtomicFile file(path);
    const auto failed = [&] {
        if (outcome != nullptr) {
            outcome->failure = file.failure();
        }
        return 1;
    };
    if (!file.open()) {
        return failed();
    }
    // The writer hands on blocks of its own; a stream buffer would only copy them again.
    std::setvbuf(file.stream(), nullptr, _IONBF, 0);
    // Write results are not needed one by one: the stream's error flag keeps any failure and
    // commit refuses to replace the target then.
    {
        Ce3Writer writer(file.stream(), hooks.handedOn);
        writeFile(writer, hooks.counted);
        writer.flush();
    }
    if (!file.commit(hooks.mayReplace)) {
        return failed();
    }
    if (outcome != nullptr) {
        outcome->written = true;
    }
    return 0;
}

void SchDocument::writeFile(Ce3Writer& writer, const std::function<void(uint64_t)>& counted) {
    writer.writeToken(kCe3Magic.open());
    writer.endLine();
    SchSheetInfo sheetInfo;
    sheetInfo.p1 = sheetSize;
    sheetInfo.writeCe3(writer, nullptr);
    writeElements(writer, elements, false, nullptr, counted);
    writer.writeToken(kCe3Magic.close());
    writer.endLine();
}

int SchDocument::load(const char* path) {
    return loadFile(path, {});
}

int SchDocument::load(const char* path, Ce3LoadReport& stop) {
    stop = {};
    return loadFile(path, {}, &stop);
}

int SchDocument::loadFile(const char* path, const std::function<void(uint64_t)>& counted,
                          Ce3LoadReport* stop) {
    clear();
    modified = false;
    if (path == nullptr) {
        return 1;
    }
    // Binary mode: every byte, 0x1A included, is data. A directory is no drawing: it fails like
    // a file that cannot be opened.
    const FilePtr file = openFileForReading(path);
    if (!file) {
        return 1;
    }
    // The reader reads ahead in blocks of its own; a stream buffer would only copy them again.
    std::setvbuf(file.get(), nullptr, _IONBF, 0);
    Ce3Reader reader(file.get());
    return loadFrom(reader, counted, stop);
}

int SchDocument::load(std::string_view bytes, Ce3LoadReport& stop) {
    clear();
    modified = false;
    stop = {};
    Ce3Reader reader(bytes);
    return loadFrom(reader, {}, &stop);
}

int SchDocument::loadFrom(Ce3Reader& reader, const std::function<void(uint64_t)>& counted,
                          Ce3LoadReport* stop) {
    std::string_view token;
    if (reader.nextToken(token) < 0) {
        return 0;
    }
    SchSheetInfo sheetInfo;
    if (token != kCe3Magic.open()) {
        return 2;
    }
    if (!readElements(reader, elements, nullptr, &sheetInfo, counted, stop)) {
        return 1;
    }
    sheetSize = sheetInfo.p1;
    return 0;
}
