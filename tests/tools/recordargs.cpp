// Stands for another program that a test expects to be started: writes the arguments it was
// given, one per line, to "<its own path>.args" and ends.
#include <QFile>
#include <QSaveFile>
#include <QString>

int main(int argc, char** argv) {
    if (argc < 1)
        return 64;
    QByteArray lines;
    for (int i = 1; i < argc; ++i)
        lines += QByteArray(argv[i]) + '\n';
    QSaveFile file(QFile::decodeName(argv[0]) + QLatin1String(".args"));
    if (!file.open(QIODevice::WriteOnly) || file.write(lines) != lines.size() || !file.commit())
        return 1;
    return 0;
}
