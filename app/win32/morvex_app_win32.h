#pragma once

#include <string>
#include <vector>

#include "app/core/profile_file.h"
#include "app/core/settings.h"

#include "app/core/settings.h"
#include "app/core/settings_check.h"

// The application: fixes where the settings live (the dialog tells the user of a file that cannot
// be used or is read other than it looks), starts OLE, then runs the main dialog as the
// whole user interface. The program ends when the dialog closes.
class CMorvexApp {
  public:
    CMorvexApp();

    // Runs the main dialog modally, listing the .ce2 files among paths and below its folders; 1
    // when OLE could not be started (the user is told), else 0.
    int run(const std::vector<std::string>& paths);

  private:
    SettingsInUse startup_;
    ProfileFile settings_;
};
