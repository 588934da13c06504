#include "CommandLine.h"

#include "settings/Settings.h"

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
