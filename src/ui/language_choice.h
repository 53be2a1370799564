#pragma once

#include <QLocale>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "lang/language_table.h"
#include "lang/message_port.h"

class QSettings;
class QTranslator;

namespace dezadav {

class CLanguageDlg;

// Language numbers: 0 English, 1 Simplified Chinese, 2 Traditional Chinese. Other numbers are
// tolerated: they keep the texts loaded last.
inline constexpr int kNoStoredLanguage = 100;  // the stored value when the user never chose

// The system-language rule: an id containing "0804" means Simplified Chinese (1), one containing
// "0404" Traditional Chinese (2), anything else English (0).
int LanguageFromSystemId(std::string_view systemLanguageId);

// The system language id of a locale: "0804" for Chinese in China and Singapore, "0404" for Chinese
// in Taiwan, Hong Kong and Macau, the locale's own name ("de_DE") otherwise.
std::string SystemLanguageId(const QLocale& locale);

// The per-user profile of the program (organisation "Zezidez", application "Dezadav"); the choice is
// its integer "Settings/Language".
std::unique_ptr<QSettings> OpenUserProfile();

// What re-labels the open windows after a switch, in this order: the main window's strip and
// buttons, the pages (dial plan, SIP, codec, call log), [the language dialog when it asked], the
// window title and the tab titles. Empty steps are skipped.
struct RelabelSteps {
    std::function<void()> mainWindow;
    std::vector<std::function<void()>> pages;
    std::function<void()> titleAndTabs;
};

// The current language number of the process, the stored choice and the switch that re-labels every
// window. One instance lives with the main window.
class LanguageChoice {
public:
    // `table` is the table that is reloaded on a switch; `port` receives "Can't find language
    // resource!" when a file is missing. `profile` is where the choice is stored; without one the
    // user's profile (OpenUserProfile) is used. All must outlive this object.
    LanguageChoice(LanguageTable& table, MessagePort* port, QSettings* profile = nullptr);
    ~LanguageChoice();

    // Reads the stored choice (100 when none or unreadable); without a stored choice the system
    // language decides. The result becomes the current language number. It does not load a file:
    // the program always starts in English.
    int ReadLanguageChoice(const QLocale& systemLocale = QLocale::system());

    int CurrentLanguage() const { return m_current; }
    // The table a switch reloads, for the captions of the windows it re-labels.
    const LanguageTable& Texts() const { return m_table; }

    void SetRelabelSteps(RelabelSteps steps) { m_steps = std::move(steps); }

    // Makes n current, stores it, reloads the table with language n, has Qt's own texts (message-box
    // buttons, file dialogs) follow, and re-labels the windows. `fromDialog` is the language dialog
    // when its Apply asked: it is re-labelled too.
    void SwitchLanguage(int n, CLanguageDlg* fromDialog = nullptr);

    // The stored value right now (100 when none).
    int StoredChoice() const;

private:
    void UseQtTexts(int n);

    LanguageTable& m_table;
    MessagePort* m_port;
    std::unique_ptr<QSettings> m_ownProfile;
    QSettings* m_profile;
    int m_current = 0;
    RelabelSteps m_steps;
    std::unique_ptr<QTranslator> m_qtTexts;  // installed while a Chinese language is chosen
};

}  // namespace dezadav
