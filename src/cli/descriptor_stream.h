#pragma once

#include <streambuf>
#include <string>

namespace dezadav::cli {

// The stream buffer of dezadav-cli's standard output and error: every complete line goes to the
// file descriptor at once, a pipe included, so a reader sees an apply's commands as they are sent
// and a process ended by a signal has lost no line it printed. The first write that fails is kept
// (its errno) and what follows it is dropped, so the run can end saying why its output is missing.
class DescriptorStreamBuf : public std::streambuf {
public:
    explicit DescriptorStreamBuf(int fd) : m_fd(fd) {}
    ~DescriptorStreamBuf() override { sync(); }
    DescriptorStreamBuf(const DescriptorStreamBuf&) = delete;
    DescriptorStreamBuf& operator=(const DescriptorStreamBuf&) = delete;

    // The errno of the first failed write, 0 while none failed.
    int Error() const { return m_error; }

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

private:
    bool WritePending();

    int m_fd;
    std::string m_pending;
    int m_error = 0;
};

// The end of a run: flushes both buffers and, when standard output could not be written, says so on
// standard error ("dezadav-cli: standard output: No space left on device"). Returns `status`, or 1
// when it was 0 and either stream failed (a run whose output is lost did not succeed).
int FinishStandardStreams(int status, DescriptorStreamBuf& out, DescriptorStreamBuf& err);

}  // namespace dezadav::cli
