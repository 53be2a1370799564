#pragma once

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <optional>
#include <ostream>
#include <string>

#include "support/english_language.h"
#include "lang/language_table.h"
#include "support/process_language.h"
#include "ui/language_text.h"
#include "ui/pages/csv_file_dialog.h"

// Readable QString values in test failures.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace dezadav::testing {

// Loads the English texts into the process-wide table when constructed; a fixture declares it
// before the models so that their lists are filled in English.
struct EnglishLoaded {
    EnglishLoaded() { LoadBuiltinEnglish(nullptr); }
};

// The whole content of a file, or nothing when it cannot be read.
inline std::optional<std::string> FileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// A file chooser that answers with `path` and counts how often it was asked.
struct ScriptedChooser {
    std::optional<QString> answer;
    int asked = 0;
    FileChooser Get() {
        return [this] {
            ++asked;
            return answer;
        };
    }
};

// A path where no file can be created (its folder does not exist).
inline QString UnwritablePath(const QTemporaryDir& dir) {
    return dir.filePath(QStringLiteral("missing/sub/x.csv"));
}

// Switches the process-wide table to language `n` for the life of the object, back to English after.
class LanguageSwitch {
public:
    explicit LanguageSwitch(int n) { ProcessLanguageTable().LoadLanguage(n); }
    ~LanguageSwitch() { LoadBuiltinEnglish(nullptr); }
};

// The text a language's own file gives a key.
inline std::string TextIn(int language, const char* key) {
    return ShippedEnglish(language).LookupText(key);
}

// The entries of a choice list, in order.
inline QStringList Items(const QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
    return items;
}

// The texts language `language` gives the keys <prefix><first> .. <prefix><last>, in order.
inline QStringList Texts(int language, const char* prefix, int first, int last) {
    QStringList texts;
    for (int i = first; i <= last; ++i) {
        texts << QString::fromStdString(TextIn(language, (std::string(prefix) + std::to_string(i)).c_str()));
    }
    return texts;
}

// Replaces the text of `box` as a user does: select all, delete, type.
inline void Retype(QLineEdit* box, const QString& typed) {
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, typed);
}

// Shows `window` and makes it the active window so that focus changes happen as on a desktop.
inline bool ShowActive(QWidget& window) {
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    return QTest::qWaitForWindowActive(&window, 2000);
}

}  // namespace dezadav::testing
