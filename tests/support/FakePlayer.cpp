#include "FakePlayer.h"

#include "TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

namespace {
// Records "<arguments, one per line>", a line "--", then the playlist's bytes; the record
// appears under its final name only when complete.
const char* const Script = R"SCRIPT(#!/bin/sh
record="$(mktemp "%1/tmp.XXXXXX")"
printf '%s\n' "$@" > "$record"
printf -- '--\n' >> "$record"
for last in "$@"; do :; done
cat "$last" >> "$record"
mv "$record" "%1/launch-$(date +%s%N)-$$"
)SCRIPT";
} // namespace

FakePlayer::FakePlayer() {
    writeDesktop();
}

void FakePlayer::writeDesktop() {
    const QString data = root() + QLatin1String("/data");
    const QString config = root() + QLatin1String("/config");
    const QString records = root() + QLatin1String("/launches");
    QDir().mkpath(data + QLatin1String("/applications"));
    QDir().mkpath(config);
    QDir().mkpath(records);
    QFile::link(QStringLiteral("/usr/share/mime"), data + QLatin1String("/mime"));

    const QString script = root() + QLatin1String("/fakeplayer.sh");
    TestSupport::writeBytes(script, QString::fromLatin1(Script).arg(records).toUtf8());
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const QByteArray exec = script.toUtf8();
    TestSupport::writeBytes(data + QLatin1String("/applications/fakeplayer.desktop"),
                            "[Desktop Entry]\nType=Application\nName=Fake Player\n"
                            "Exec=" +
                                exec +
                                " --open %f\n"
                                "MimeType=audio/x-mpegurl;\nActions=Play;Enqueue;\n\n"
                                "[Desktop Action Play]\nName=Play\nExec=" +
                                exec +
                                " --play %f\n\n"
                                "[Desktop Action Enqueue]\nName=Enqueue\nExec=" +
                                exec + " --enqueue %f\n");
    TestSupport::writeBytes(config + QLatin1String("/mimeapps.list"),
                            "[Default Applications]\naudio/x-mpegurl=fakeplayer.desktop\n");
}

QProcessEnvironment FakePlayer::environment(QProcessEnvironment base) const {
    base.insert(QStringLiteral("XDG_DATA_HOME"), root() + QLatin1String("/data"));
    base.insert(QStringLiteral("XDG_DATA_DIRS"), root() + QLatin1String("/data"));
    base.insert(QStringLiteral("XDG_CONFIG_HOME"), root() + QLatin1String("/config"));
    base.insert(QStringLiteral("XDG_CONFIG_DIRS"), root() + QLatin1String("/config"));
    return base;
}

void FakePlayer::applyToThisProcess() const {
    const QProcessEnvironment env = environment(QProcessEnvironment());
    for (const QString& key : env.keys())
        qputenv(key.toUtf8().constData(), QFile::encodeName(env.value(key)));
}

QList<FakePlayer::Launch> FakePlayer::launches() const {
    QDir records(root() + QLatin1String("/launches"));
    QList<Launch> result;
    const QStringList names =
        records.entryList({QStringLiteral("launch-*")}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
        const QByteArray bytes = TestSupport::readBytes(records.filePath(name));
        const qsizetype split = bytes.indexOf("--\n");
        Launch launch;
        const QByteArray head = split < 0 ? bytes : bytes.left(split);
        for (const QByteArray& line : head.split('\n'))
            if (!line.isEmpty())
                launch.arguments << QString::fromUtf8(line);
        if (split >= 0)
            launch.playlist = bytes.mid(split + 3);
        result << launch;
    }
    return result;
}

bool FakePlayer::waitForLaunches(int count, int timeoutMs) const {
    QDeadlineTimer deadline(timeoutMs);
    while (launches().size() < count) {
        if (deadline.hasExpired())
            return false;
        // Queued handlers (a double-click, a timer) must still run while waiting.
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(20);
    }
    return true;
}
