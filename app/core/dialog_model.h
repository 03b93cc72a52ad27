#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/core/batch_result.h"
#include "app/core/conversion.h"
#include "app/core/dialog_messages.h"
#include "app/core/file_list.h"
#include "app/core/font_fields.h"
#include "app/core/profile_file.h"

// What OK started: nothing (the list is empty, or a batch runs already), a batch and its result,
// or no batch because the output folder cannot be used (`refusal` says why, UTF-8).
struct BatchStart {
    std::optional<BatchResult> result;
    std::string refusal;
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
    // See FontFields::confirm. The write that makes the settings file says where it was made.
    SettingsConfirmation confirmFont(FontRow row, const std::string& family, int points);

    // The options that a batch started now would convert with.
    ConversionOptions options() const { return fonts_.options(); }

    // The folder that receives the outputs, UTF-8; empty: each output lies beside its source.
    // Kept in the settings (section "OUTPUT", key "FOLDER", in CP932 as the faces are).
    const std::string& outputFolder() const { return outputFolder_; }
    // Makes `folder` (empty: none) the output folder and keeps it in the settings. A folder that
    // CP932 cannot hold is refused and changes nothing; one that the settings file cannot take
    // stays for this session. The message says why, or where the settings file was made when this
    // made it; empty otherwise.
    SettingsConfirmation chooseOutputFolder(const std::string& folder);

    // "MORVEX - 1,500 files - outputs to D:\out" (dialogTitle).
    std::string title() const;

    bool converting() const { return converting_; }
    // Converts the listed files, as many at once as there are processors, and gives the reports
    // and the progress in list order. With an output folder, each output goes to the file's path
    // below the folder or file the user gave (outputPathFor), and missing folders are made; a
    // folder that cannot be made refuses the batch before anything is read. The settings file is a
    // file of the run: no output replaces it. Nothing at all happens, and nothing is returned,
    // when the list is empty or a batch is running already.
    BatchStart convert(const ConversionProgress& progress = {});

  private:
    ProfileFile& settings_;
    FileList files_;
    std::string outputFolder_;
    FontFields fonts_;
    bool converting_ = false;
};
