#pragma once

#include <QByteArray>
#include <QString>

// Text from files the user may have made elsewhere (settings written on Windows): UTF-8 when
// the bytes are valid UTF-8, otherwise Windows-1252, so no byte turns into a replacement mark.
QString decodeText(QByteArrayView bytes);
bool isValidUtf8(QByteArrayView bytes);
// Every byte as Windows-1252 has it; the five unassigned bytes keep their C1 code points.
QString decodeWindows1252(QByteArrayView bytes);
