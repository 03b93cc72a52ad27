#include "cli/report_output.h"

#include <cerrno>

ReportOutput::int_type ReportOutput::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) {
        return traits_type::not_eof(c);
    }
    errno = 0;
    if (std::fputc(traits_type::to_char_type(c), stream_) == EOF) {
        noteFailure();
        return traits_type::eof();
    }
    return c;
}

std::streamsize ReportOutput::xsputn(const char* s, std::streamsize n) {
    errno = 0;
    const std::size_t written = std::fwrite(s, 1, static_cast<std::size_t>(n), stream_);
    if (written < static_cast<std::size_t>(n)) {
        noteFailure();
    }
    return static_cast<std::streamsize>(written);
}

int ReportOutput::sync() {
    errno = 0;
    if (std::fflush(stream_) != 0) {
        noteFailure();
        return -1;
    }
    return 0;
}

void ReportOutput::noteFailure() {
    if (!failed_) {
        failed_ = true;
        error_ = errno;
    }
}
