#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "session/transcript.h"

namespace dezadav {

// A transcript file: created with mode 0600 (it records router exchanges), appended to when it
// exists. Each block goes out in one append under a process-wide lock, so exchanges that run on
// several threads never interleave. A file that cannot be opened or written is reported once
// through `report` (with the reason); later blocks are then dropped quietly and the exchanges go on.
class TranscriptFile : public TranscriptSink {
public:
    TranscriptFile(std::string path, std::function<void(const std::string&)> report);
    ~TranscriptFile() override;
    TranscriptFile(const TranscriptFile&) = delete;
    TranscriptFile& operator=(const TranscriptFile&) = delete;

    // Opens (creating) the file; false, reported, when that is impossible.
    bool Open();
    bool Append(std::string_view block) override;
    const std::string& Path() const { return m_path; }

private:
    void ReportOnce(const std::string& reason);

    std::string m_path;
    std::function<void(const std::string&)> m_report;
    int m_fd = -1;
    bool m_reported = false;
    std::mutex m_mutex;
};

// The local wall-clock time as "YYYY-MM-DD hh:mm:ss" (transcript headers).
std::string LocalTimeText();

}  // namespace dezadav
