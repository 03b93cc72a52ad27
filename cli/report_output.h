#pragma once

#include <cstdio>
#include <streambuf>

// A stream buffer that writes through a C stream and keeps the error of its first failed write
// or flush: the C stream keeps only a flag, and drops what it could not write, so that a later
// check could no longer say why.
class ReportOutput : public std::streambuf {
  public:
    explicit ReportOutput(FILE* stream) : stream_(stream) {}

    bool failed() const { return failed_; }
    // The system's error number of the first failure; 0 when it gave none.
    int error() const { return error_; }

  protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;

  private:
    void noteFailure();

    FILE* stream_;
    bool failed_ = false;
    int error_ = 0;
};
