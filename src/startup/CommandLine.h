#pragma once

#include <QString>
#include <QStringList>

// What the words after the program name ask for. Every word that does not start with "-"
// is a parameter and keeps its meaning; the options only ask for text and an exit.
enum class CommandLineRequest { Run, Help, Version, UnknownOption };

CommandLineRequest commandLineRequest(const QStringList& arguments);

QString usageText(const QString& programName);
QString versionText();
