#include "TestSupport.h"

#include "ScriptFileDialogs.h"

#include <QApplication>
#include <QDir>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>
#include <QWidget>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <csignal>
#include <unistd.h>

namespace TestSupport {

QList<QByteArray> pathBytes(const QStringList& paths) {
    QList<QByteArray> bytes;
    for (const QString& path : paths)
        bytes.append(QFile::encodeName(path));
    return bytes;
}

QStringList pathTexts(const QList<QByteArray>& paths) {
    QStringList texts;
    for (const QByteArray& path : paths)
        texts.append(QFile::decodeName(path));
    return texts;
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

IsolatedEnvironment::IsolatedEnvironment() {
    QDir().mkpath(configHome());
    QDir().mkpath(runtimeDir());
    QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome()));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir()));
}

QString IsolatedEnvironment::configHome() const {
    return dir_.path() + QLatin1String("/config");
}

QString IsolatedEnvironment::runtimeDir() const {
    return dir_.path() + QLatin1String("/runtime");
}

ReadOnlyFolder::ReadOnlyFolder(const QString& path) : path_(path) {
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                    QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    if (geteuid() == 0)
        immutable_ = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}) == 0;
}

ReadOnlyFolder::~ReadOnlyFolder() {
    if (immutable_)
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), path_});
    QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                     QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                     QFile::ExeOther);
}

bool ReadOnlyFolder::effective() const {
    QFile probe(path_ + QLatin1String("/.probe"));
    if (probe.open(QIODevice::WriteOnly)) {
        probe.close();
        probe.remove();
        return false;
    }
    return true;
}

void declineInstallation(const QString& configHome) {
    writeBytes(configHome + QLatin1String("/Platterbox/system.reg"),
               "Windows Registry Editor Version 5.00\r\n\r\n"
               "[HKEY_LOCAL_MACHINE\\Software\\Varnholt\\Platterbox]\r\n"
               "\"NeverAsk\"=dword:00000001\r\n\"NeverAskVer\"=dword:00000514\r\n");
}

bool waitUntilCatchesTermination(qint64 pid, int msecs) {
    const QString status = QStringLiteral("/proc/%1/status").arg(pid);
    const quint64 bit = quint64(1) << (SIGTERM - 1);
    return QTest::qWaitFor(
        [&] {
            for (const QByteArray& line : readBytes(status).split('\n'))
                if (line.startsWith("SigCgt:"))
                    return (line.mid(7).trimmed().toULongLong(nullptr, 16) & bit) != 0;
            return false;
        },
        msecs);
}

bool startAndClose(const QString& program, const QString& configHome, const QString& runtimeDir,
                   const QString& script) {
    if (!QFileInfo::exists(configHome + QLatin1String("/Platterbox/system.reg")))
        declineInstallation(configHome);
    QDir().mkpath(runtimeDir);
    QFile::setPermissions(runtimeDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    env.insert(QString::fromLatin1(ScriptFileDialogs::EnvironmentVariable), script);
    QProcess run;
    run.setProcessEnvironment(env);
    run.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    run.start(program, QStringList());
    if (!run.waitForStarted())
        return false;
    if (!waitUntilCatchesTermination(run.processId(), 10000))
        return false;
    QTest::qWait(300);
    run.terminate();
    const bool finished = run.waitForFinished(5000);
    if (!finished) {
        run.kill();
        run.waitForFinished();
    }
    return finished && run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0;
}

QStringList dialogLog(const QString& script) {
    QStringList texts;
    for (const auto& [kind, text] : ScriptFileDialogs::readLog(script))
        texts << kind + QLatin1Char(':') + text;
    return texts;
}

QString tooltipShownBy(QWidget* control) {
    QToolTip::hideText(); // a tip fades out, so wait until the last one is gone
    if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }))
        return QStringLiteral("a tip stays visible");
    const QPoint centre = control->rect().center();
    QHelpEvent event(QEvent::ToolTip, centre, control->mapToGlobal(centre));
    QApplication::sendEvent(control, &event);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

} // namespace TestSupport
