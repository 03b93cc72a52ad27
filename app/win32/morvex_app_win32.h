#pragma once

#include "app/core/settings.h"
#include "app/core/settings_check.h"

// The application: fixes where the settings live (the dialog tells the user of a file that cannot
// be used or is read other than it looks), starts OLE, then runs the main dialog as the
// whole user interface. The program ends when the dialog closes.
class CMorvexApp {
  public:
    CMorvexApp();

    // Runs the main dialog modally; 1 when OLE could not be started (the user is told), else 0.
    int run();

  private:
    SettingsInUse startup_;
    ProfileFile settings_;
};
