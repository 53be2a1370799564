#include "ui/language_choice.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QSettings>
#include <QTranslator>

#include "ui/language_dlg.h"

namespace dezadav {

namespace {

const QString kLanguageKey = QStringLiteral("Settings/Language");

}  // namespace

int LanguageFromSystemId(std::string_view systemLanguageId) {
    if (systemLanguageId.find("0804") != std::string_view::npos) return 1;
    if (systemLanguageId.find("0404") != std::string_view::npos) return 2;
    return 0;
}

std::string SystemLanguageId(const QLocale& locale) {
    if (locale.language() == QLocale::Chinese) {
        switch (locale.territory()) {
            case QLocale::China:
            case QLocale::Singapore:
                return "0804";
            case QLocale::Taiwan:
            case QLocale::HongKong:
            case QLocale::Macao:
                return "0404";
            default:
                break;
        }
    }
    return locale.name().toStdString();
}

std::unique_ptr<QSettings> OpenUserProfile() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Zezidez"),
                                       QStringLiteral("Dezadav"));
}

LanguageChoice::LanguageChoice(LanguageTable& table, MessagePort* port, QSettings* profile)
    : m_table(table), m_port(port), m_profile(profile) {
    if (m_profile == nullptr) {
        m_ownProfile = OpenUserProfile();
        m_profile = m_ownProfile.get();
    }
}

LanguageChoice::~LanguageChoice() = default;

int LanguageChoice::StoredChoice() const {
    bool ok = false;
    const int stored = m_profile->value(kLanguageKey, kNoStoredLanguage).toInt(&ok);
    return ok ? stored : kNoStoredLanguage;
}

int LanguageChoice::ReadLanguageChoice(const QLocale& systemLocale) {
    int n = StoredChoice();
    if (n == kNoStoredLanguage) n = LanguageFromSystemId(SystemLanguageId(systemLocale));
    m_current = n;
    return n;
}

void LanguageChoice::SwitchLanguage(int n, CLanguageDlg* fromDialog) {
    m_current = n;
    m_profile->setValue(kLanguageKey, n);
    m_profile->sync();
    m_table.LoadLanguage(n, m_port);
    UseQtTexts(n);
    if (m_steps.mainWindow) m_steps.mainWindow();
    for (const auto& page : m_steps.pages) {
        if (page) page();
    }
    if (fromDialog != nullptr) fromDialog->Relabel();
    if (m_steps.titleAndTabs) m_steps.titleAndTabs();
}

void LanguageChoice::UseQtTexts(int n) {
    // Qt's translations as the system installs them; without them Qt's texts stay English.
    static const char* const kQtCatalogs[] = {nullptr, "qtbase_zh_CN", "qtbase_zh_TW"};
    if (n < 0 || n > 2) return;  // as the table does, the texts of the language loaded last stay
    if (m_qtTexts) {
        QCoreApplication::removeTranslator(m_qtTexts.get());
        m_qtTexts.reset();
    }
    if (kQtCatalogs[n] == nullptr) return;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QString::fromLatin1(kQtCatalogs[n]),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return;
    QCoreApplication::installTranslator(translator.get());
    m_qtTexts = std::move(translator);
}

}  // namespace dezadav
