#pragma once

#include <span>

#include "app/core/dialog_arguments.h"
#include "app/core/profile_file.h"
#include "app/core/settings.h"
#include "app/core/settings_check.h"

// The options that Qt takes from the command line (QApplication and its X11 platform).
std::span<const ToolkitOption> qtOptions();

// The application: fixes where the settings live (telling the user, over the dialog, of a file
// that cannot be used or is read other than it looks), then runs the main dialog as the whole user
// interface. The program ends when the dialog closes.
class CMorvexApp {
  public:
    CMorvexApp();

    const std::string& settingsPath() const { return settings_.path(); }

    // Runs the main dialog modally, listing the .ce2 files among the arguments' paths and handing
    // Qt its own options; 1 when no display could be opened, else 0.
    int run(const char* program, const DialogArguments& arguments);

  private:
    SettingsInUse startup_;
    ProfileFile settings_;
};
