#include "CommandLine.h"

#include "settings/Settings.h"

#include <algorithm>

CommandLineRequest commandLineRequest(const QStringList& arguments) {
    const auto has = [&arguments](const char* longName, const char* shortName) {
        return arguments.contains(QLatin1String(longName)) ||
               arguments.contains(QLatin1String(shortName));
    };
    if (has("--help", "-h"))
        return CommandLineRequest::Help;
    if (has("--version", "-v"))
        return CommandLineRequest::Version;
    for (const QString& word : arguments) {
        if (word.startsWith(u'-'))
            return CommandLineRequest::UnknownOption;
    }
    return CommandLineRequest::Run;
}

QStringList withoutToolkitOptions(const QStringList& words) {
    static const QStringList withValue = {QStringLiteral("-platform"),
                                          QStringLiteral("-platformpluginpath"),
                                          QStringLiteral("-platformtheme"),
                                          QStringLiteral("-plugin"),
                                          QStringLiteral("-qwindowgeometry"),
                                          QStringLiteral("-geometry"),
                                          QStringLiteral("-qwindowtitle"),
                                          QStringLiteral("-title"),
                                          QStringLiteral("-qwindowicon"),
                                          QStringLiteral("-icon"),
                                          QStringLiteral("-session"),
                                          QStringLiteral("-style"),
                                          QStringLiteral("-stylesheet"),
                                          QStringLiteral("-display"),
                                          QStringLiteral("-name"),
                                          QStringLiteral("-visual")};
    static const QStringList alone = {
        QStringLiteral("-reverse"), QStringLiteral("-testability"), QStringLiteral("-widgetcount"),
        QStringLiteral("-nograb"),  QStringLiteral("-dograb"),      QStringLiteral("-sync")};
    static const QStringList joined = {QStringLiteral("-style="), QStringLiteral("-stylesheet="),
                                       QStringLiteral("-qmljsdebugger=")};
    QStringList rest;
    for (qsizetype i = 0; i < words.size(); ++i) {
        // Qt takes its options with two dashes too.
        const QString word = words[i].startsWith(QLatin1String("--")) ? words[i].mid(1) : words[i];
        if (withValue.contains(word) && i + 1 < words.size())
            ++i;
        else if (!alone.contains(word) &&
                 std::none_of(joined.cbegin(), joined.cend(),
                              [&word](const QString& prefix) { return word.startsWith(prefix); }))
            rest << words[i];
    }
    return rest;
}

QString usageText(const QString& programName) {
    return QStringLiteral("Usage: %1 [PROGRAM]\n"
                          "Keeps a list of playlists and plays them with the desktop's player.\n"
                          "\n"
                          "  PROGRAM        the path of another copy of the program (a CD copy);\n"
                          "                 its INI file, the same name with \".Ini\", is used\n"
                          "                 when it exists\n"
                          "  -h, --help     print this help and exit\n"
                          "  -v, --version  print the version and exit\n")
        .arg(programName);
}

QString versionText() {
    return QStringLiteral("Platterbox %1.%2\n")
        .arg(ProgramVersion / 1000)
        .arg(ProgramVersion % 1000 / 100);
}
