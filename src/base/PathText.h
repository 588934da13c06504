#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Paths that travel as text (the program's own path and its arguments, INI paths, the
// command line a second copy hands over) without losing the bytes of a name that is not
// UTF-8: each such byte stands as one unpaired low surrogate (U+DC80..U+DCFF), which no
// decoded UTF-8 holds. For UTF-8 names this is exactly QFile::encodeName/decodeName.
QString pathText(QByteArrayView bytes);
QByteArray pathBytes(QStringView text);

// What a message shows of such a path: its bytes read as UTF-8, else Windows-1252.
QString shownPath(QStringView text);
