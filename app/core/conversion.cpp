#include "app/core/conversion.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <vector>

#include "ce3/document.h"

namespace {

constexpr std::size_t kSourceBufferBytes = std::size_t{1} << 16;

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using SourceStream = std::unique_ptr<FILE, FileCloser>;

// True when both paths name one existing file (hard links, symbolic links, case-folding
// file systems).
bool sameExistingFile(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// Opens a regular file for binary reading. O_NONBLOCK keeps a FIFO or device in the list from
// blocking the open; such files are refused after fstat.
SourceStream openRegularFile(const std::string& path, FileReport& report) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        report.outcome = FileOutcome::CannotOpen;
        report.openError = errno;
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        report.outcome = FileOutcome::CannotOpen;
        report.openError = errno;
        ::close(fd);
        return nullptr;
    }
    if (!S_ISREG(st.st_mode)) {
        report.outcome = FileOutcome::NotRegularFile;
        ::close(fd);
        return nullptr;
    }
    SourceStream stream(::fdopen(fd, "rb"));
    if (!stream) {
        report.outcome = FileOutcome::CannotOpen;
        report.openError = errno;
        ::close(fd);
    }
    return stream;
}

// Splits the live elements as the document's save does: those whose area meets the sheet are
// written, the others left out.
void countSheetElements(const SchDocument& doc, FileReport& report) {
    const SchRect sheet(0, 0, doc.sheetSize.x, doc.sheetSize.y);
    for (const auto& e : doc.elements) {
        if (!e || e->link != nullptr) {
            continue;
        }
        if (e->area().intersects(sheet)) {
            ++report.elementsWritten;
        } else {
            ++report.elementsOutside;
        }
    }
}

FileReport convertFile(const std::string& source, const ConversionOptions& options,
                       const DrawingHook& drawingHook) {
    FileReport report;
    report.source = source;
    report.output = makeCe3Path(source);
    if (report.output == source || sameExistingFile(source, report.output)) {
        report.outcome = FileOutcome::WouldOverwriteSource;
        return report;
    }
    SchDocument doc;
    if (!readCe2Source(source, options, doc, report)) {
        return report;
    }
    if (report.elementsRead <= 1) {
        report.outcome = FileOutcome::TooFewElements;
        return report;
    }
    countSheetElements(doc, report);
    const FollowUp followUp = drawingHook ? drawingHook(doc, report.output) : FollowUp();
    report.outcome =
        doc.save(report.output.c_str()) == 0 ? FileOutcome::Converted : FileOutcome::CannotWrite;
    if (report.outcome == FileOutcome::Converted && followUp) {
        report.followUp = followUp();
    }
    return report;
}

}  // namespace

bool readCe2Source(const std::string& source, const ConversionOptions& options, SchDocument& doc,
                   FileReport& report) {
    // A large buffer, so that a big drawing takes few read calls. It is freed here, while the
    // document holds its elements: freed after them, it would make the allocator sweep every one
    // of them.
    std::vector<char> buffer(kSourceBufferBytes);
    SourceStream stream = openRegularFile(source, report);
    if (!stream) {
        return false;
    }
    setvbuf(stream.get(), buffer.data(), _IOFBF, buffer.size());
    report.elementsRead = readCe2File(stream.get(), doc, options, &report.reading);
    return true;
}

bool isReadableRegularFile(const std::string& path, FileReport& report) {
    return openRegularFile(path, report) != nullptr;
}

std::vector<FileReport> convertFiles(const std::vector<std::string>& sources,
                                     const ConversionOptions& options,
                                     const ConversionProgress& progress,
                                     const DrawingHook& drawingHook) {
    std::vector<FileReport> reports;
    reports.reserve(sources.size());
    for (const std::string& source : sources) {
        reports.push_back(convertFile(source, options, drawingHook));
        if (progress) {
            progress(reports.size(), sources.size());
        }
    }
    return reports;
}
