#include "platform/files.h"

bool sameExistingFile(const std::string& a, const std::string& b) {
    const std::optional<FileIdentity> ia = fileIdentity(a);
    return ia && ia == fileIdentity(b);
}
