#pragma once

#include <QString>
#include <QStringList>

// What the words after the program name ask for. Every word that does not start with "-"
// is a parameter and keeps its meaning; the options only ask for text and an exit.
enum class CommandLineRequest { Run, Help, Version, UnknownOption };

CommandLineRequest commandLineRequest(const QStringList& arguments);

// The words without Qt's own options (-platform xcb, -style=fusion, -reverse, ...) and their
// values, as QApplication takes them out: the rest can be judged before there is a display.
QStringList withoutToolkitOptions(const QStringList& words);

QString usageText(const QString& programName);
QString versionText();
