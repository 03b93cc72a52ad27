#include "platform/write_failure.h"

#include "platform/messages.h"
#include "platform/system_error.h"

std::string describeWriteFailure(const WriteFailure& failure) {
    switch (failure.cause) {
        case WriteFailure::Cause::None:
            return "";
        case WriteFailure::Cause::System:
            return failure.error != 0 ? systemErrorText(failure.error) : "";
        case WriteFailure::Cause::NotRegularFile:
            return translated("not a regular file");
        case WriteFailure::Cause::ProtectedLink:
            return translated(
                "symbolic link not followed: it lies in a sticky, world-writable folder and "
                "belongs to neither the folder's owner nor this user");
    }
    return "";
}
