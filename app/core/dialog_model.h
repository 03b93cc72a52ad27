#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/core/conversion.h"
#include "app/core/dialog_messages.h"
#include "app/core/file_list.h"
#include "app/core/font_fields.h"
#include "app/core/profile_file.h"

// A finished batch: what happened to each file, and the message (UTF-8) the user sees once per
// batch (batchMessage, listing at most kListedFiles files), with the icon its severity calls for.
struct BatchOutcome {
    std::vector<FileReport> reports;
    std::string message;
    BatchSeverity severity = BatchSeverity::Information;
};

// The most files that the message after a batch lists one by one.
constexpr std::size_t kListedFiles = 20;

// The main dialog without its user interface: the sorted file list that drops and the open-file
// dialog replace, the two font rows kept in the settings, and the batch that OK starts. The Qt
// and the Win32 dialog are views of it. While a batch runs (its progress may let the window
// system deliver a drop or a click), the list stays as it is and no second batch starts.
class DialogModel {
  public:
    DialogModel(ProfileFile& settings, PathOrder before);

    const std::vector<std::string>& files() const { return files_.paths(); }
    // See FileList::drop; false, changing nothing, while a batch runs.
    bool drop(const std::vector<std::string>& dropped);
    // See FileList::choose; ignored while a batch runs.
    void choose(const std::vector<std::string>& chosen);

    const FontField& font(FontRow row) const { return fonts_.field(row); }
    FontConfirmation confirmFont(FontRow row, const std::string& family, int points);

    // The options that a batch started now would convert with.
    ConversionOptions options() const { return fonts_.options(); }

    bool converting() const { return converting_; }
    // Converts the listed files, as many at once as there are processors, and gives the reports
    // and the progress in list order. The settings file is a file of the run: no output replaces
    // it. Nothing at all happens, and nothing is returned, when the
    // list is empty or a batch is running already.
    std::optional<BatchOutcome> convert(const ConversionProgress& progress = {});

  private:
    const ProfileFile& settings_;
    FileList files_;
    FontFields fonts_;
    bool converting_ = false;
};
