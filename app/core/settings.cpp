#include "app/core/settings.h"

std::string findSettingsPath(const SettingsLocations& where) {
    return findSettingsFile(where, kSettingsFileName);
}

std::string findSettingsPath() {
    return findSettingsPath(processSettingsLocations());
}
