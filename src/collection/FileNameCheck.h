#pragma once

#include <QString>

// True when the text holds none of \ / : * ? < > | (the characters a file name cannot hold on
// Windows, so that a CD made here works there too) and no NUL. An empty text is valid.
bool isValidFileName(const QString& text);
