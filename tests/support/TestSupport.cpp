#include "TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>
#include <QWidget>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

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
