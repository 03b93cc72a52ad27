#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/core/conversion.h"
#include "app/core/file_list.h"
#include "app/core/font_fields.h"

// A finished batch: what happened to each file, and the completion message (UTF-8), which the
// user sees once per batch with the files that were not converted (notConvertedText).
struct BatchOutcome {
    std::vector<FileReport> reports;
    std::string message;
};

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
    // Converts the listed files in list order. Nothing at all happens, and nothing is returned,
    // when the list is empty or a batch is running already.
    std::optional<BatchOutcome> convert(const ConversionProgress& progress = {});

  private:
    FileList files_;
    FontFields fonts_;
    bool converting_ = false;
};
