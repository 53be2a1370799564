#include "app/app_options.h"

#include <QFileInfo>

#include "lang/messages.h"

namespace dezadav {

namespace {

void Describe(QCommandLineParser& parser) {
    parser.setApplicationDescription(QStringLiteral("Manages the VoIP settings of an office router."));
    // Only -h and --help: the parser's own help option would add spellings no one documents.
    parser.addOption(QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Print this help and end.")));
    parser.addOption(
        QCommandLineOption(QStringLiteral("version"), QStringLiteral("Print the version and end.")));
    AddCommonOptions(parser);
    parser.addPositionalArgument(
        QStringLiteral("file"),
        QStringLiteral("A settings file (.csv) to load once a router has been chosen "
                       "or skipped."),
        QStringLiteral("[file]"));
}

}  // namespace

AppParseResult ParseAppArguments(const QStringList& arguments) {
    AppParseResult result;
    QCommandLineParser parser;
    Describe(parser);
    if (!parser.parse(arguments)) {
        result.error = parser.errorText().toStdString();
        return result;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        result.help = true;
        return result;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        result.version = true;
        return result;
    }
    AppOptions options;
    if (auto error = ReadCommonOptions(parser, options.common)) {
        result.error = *error;
        return result;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1 || (files.size() == 1 && files.front().isEmpty())) {
        result.error = std::string(kWindowOneFileAtMost);
        return result;
    }
    // The window may be started from anywhere; the path must not depend on where it runs later.
    if (!files.isEmpty()) options.settingsFile = QFileInfo(files.front()).absoluteFilePath().toStdString();
    result.options = options;
    return result;
}

std::string AppHelpText() {
    QCommandLineParser parser;
    Describe(parser);
    // Without an application object the parser cannot know the program's name.
    QString text = parser.helpText();
    text.replace(QStringLiteral("<executable_name>"), QStringLiteral("dezadav"));
    return text.toStdString();
}

std::string AppVersionText() {
    return std::string("dezadav ") + ProgramVersion() + "\n";
}

}  // namespace dezadav
