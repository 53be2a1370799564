#pragma once

#include <QString>
#include <string_view>

#include "lang/language_table.h"
#include "lang/message_port.h"
#include "settings/file_writer.h"
#include "ui/pages/csv_file_dialog.h"

namespace dezadav {

// How a page's Save As ended.
enum class PageSaveOutcome {
    Saved,      // the file holds exactly the page's bytes
    Cancelled,  // the file choice was cancelled; nothing written
    Failed,     // the file could not be written; Message_SaveFail was shown
};

// Writes `bytes` (a page's section of the settings file) to `path` whole: the old file stays as it
// was until every byte is written. A file that cannot be written shows Message_SaveFail (caption
// Message_Error) through `port`.
bool WritePageFile(const QString& path, std::string_view bytes, FileSecrecy secrecy, const LanguageTable& language,
                   MessagePort& port);

// Save As of one page: asks `chooser` for a path, then WritePageFile. The bytes are only built (by
// `makeBytes`) once a file has been chosen, since building the codec row remembers its payload text.
template <typename MakeBytes>
PageSaveOutcome SavePageAs(const FileChooser& chooser, MakeBytes&& makeBytes, const LanguageTable& language,
                           MessagePort& port, FileSecrecy secrecy = FileSecrecy::Plain) {
    const std::optional<QString> path = chooser ? chooser() : std::nullopt;
    if (!path || path->isEmpty()) return PageSaveOutcome::Cancelled;
    return WritePageFile(*path, makeBytes(), secrecy, language, port) ? PageSaveOutcome::Saved
                                                             : PageSaveOutcome::Failed;
}

}  // namespace dezadav
