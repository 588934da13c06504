#pragma once

#include <QByteArray>
#include <QString>
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

// Asks a control for its tooltip as the pointer resting on it does; the text shown, if any.
QString tooltipShownBy(QWidget* control);

} // namespace TestSupport
