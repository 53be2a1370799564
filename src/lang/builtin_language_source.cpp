#include "lang/builtin_language_source.h"

#include <QFile>

// The resource file is compiled into a static library; naming its initialiser keeps the linker from
// dropping it. Q_INIT_RESOURCE must stand outside any namespace.
static void InitLanguageResources() { Q_INIT_RESOURCE(lang); }

namespace dezadav {

LanguageSource BuiltinLanguageSource() {
    InitLanguageResources();
    return [](int languageNumber) -> std::optional<std::string> {
        static const char* const kFiles[] = {":/lang/english.lng", ":/lang/chinese_simplified.lng",
                                             ":/lang/chinese_traditional.lng"};
        if (languageNumber < 0 || languageNumber > 2) return std::nullopt;
        QFile file(QString::fromLatin1(kFiles[languageNumber]));
        if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
        const QByteArray bytes = file.readAll();
        return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    };
}

LanguageTable BuiltinEnglishTable(MessagePort* port) {
    LanguageTable table(BuiltinLanguageSource());
    table.LoadLanguage(0, port);
    return table;
}

}  // namespace dezadav
