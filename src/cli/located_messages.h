#pragma once

#include <functional>
#include <string>

#include "lang/language_table.h"
#include "lang/message_port.h"

namespace dezadav::cli {

// One exchange's messages as a terminal user needs them: each text as the window shows it, and on
// the same line where it happened: the router's address and port after a failed connect or login,
// the file's path and the system's reason after a failed load or save.
class LocatedMessagePort : public MessagePort {
public:
    LocatedMessagePort(MessagePort& inner, const LanguageTable& language, std::string routerAddress)
        : m_inner(inner), m_language(language), m_router(std::move(routerAddress)) {}

    void SetInputFile(std::string path) { m_inputFile = std::move(path); }
    void SetOutputFile(std::string path) { m_outputFile = std::move(path); }
    // Where the reason of a failed load or save comes from when the one who failed knows it (the
    // system's words when the write failed, "it holds no settings section"); when it answers
    // nothing, the system is asked again.
    void SetFileReason(std::function<std::string()> reason) { m_fileReason = std::move(reason); }

    void ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon) override;

private:
    MessagePort& m_inner;
    const LanguageTable& m_language;
    std::string m_router;  // "address:port"
    std::string m_inputFile;
    std::string m_outputFile;
    std::function<std::string()> m_fileReason;
};

// Why the system refuses to read (or write) the file at `path`, asked again now: its error text
// ("No such file or directory"), or empty when the file can be opened.
std::string FileRefusalReason(const std::string& path, bool writing);

}  // namespace dezadav::cli
