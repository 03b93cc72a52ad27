#pragma once

#include "app/core/profile_file.h"
#include "app/core/settings.h"

// The application: fixes where the settings live, starts OLE, then runs the main dialog as the
// whole user interface. The program ends when the dialog closes.
class CMorvexApp {
  public:
    CMorvexApp();

    // Runs the main dialog modally; 1 when OLE could not be started (the user is told), else 0.
    int run();

  private:
    ProfileFile settings_;
};
