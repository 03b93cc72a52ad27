#include <filesystem>
#include <system_error>

#include "platform/file_status.h"

FileStatus fileStatus(const std::string& path) {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (ec) {
        return {FileKind::Unknown, ec.message()};
    }
    switch (status.type()) {
        case std::filesystem::file_type::regular:
            return {FileKind::Regular, {}};
        case std::filesystem::file_type::directory:
            return {FileKind::Directory, {}};
        default:
            return {FileKind::Other, {}};
    }
}
