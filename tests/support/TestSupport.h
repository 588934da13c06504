#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class QWidget;

namespace TestSupport {

QByteArray readBytes(const QString& path);
// Paths as the program keeps them (the file system's bytes) and back, for UTF-8 names.
QList<QByteArray> pathBytes(const QStringList& paths);
QStringList pathTexts(const QList<QByteArray>& paths);
void writeBytes(const QString& path, const QByteArray& bytes);

// Points XDG_CONFIG_HOME and XDG_RUNTIME_DIR into a fresh temporary folder for this process,
// so no test touches the user's own settings.
class IsolatedEnvironment {
public:
    IsolatedEnvironment();
    QString configHome() const;
    QString runtimeDir() const;
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

// Makes a folder refuse new files and renames for as long as it lives, also for root
// (root ignores permission bits, so the immutable attribute is set as well).
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& path);
    ~ReadOnlyFolder();
    // True when a file really cannot be created in the folder now.
    bool effective() const;

private:
    QString path_;
    bool immutable_ = false;
};

// Records in configHome that the installation was declined for this version, so a started
// copy never asks about it.
void declineInstallation(const QString& configHome);

// One start of a copy of the real program, offscreen, with its own configuration and runtime
// folders and a dialog script, closed as logging out closes it (SIGTERM) once it is up.
// True when it came up and ended normally with 0; a copy that hangs is killed (false).
// The installation is declined beforehand when configHome holds no system.reg.
bool startAndClose(const QString& program, const QString& configHome, const QString& runtimeDir,
                   const QString& script);
// Waits until the process catches SIGTERM (its window is up and a logout would close it
// normally), read from /proc; false when it ends or msecs pass first.
bool waitUntilCatchesTermination(qint64 pid, int msecs);
// What a scripted run showed or asked, as "<kind>:<text>".
QStringList dialogLog(const QString& script);

// Asks a control for its tooltip as the pointer resting on it does; the text shown, if any.
QString tooltipShownBy(QWidget* control);

} // namespace TestSupport
