#pragma once

#include "base/Status.h"
#include "settings/TypedRegistry.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class UserDialogs;

// Starts a program with an argument list; true when it started.
using StartProgram = std::function<bool(const QString& program, const QStringList& arguments)>;

enum class InstallationOutcome {
    Continue,   // this copy goes on starting
    HandedOver, // a higher installed version was started in its place; this copy ends
};

// A step's result, or the registry failure that abandons the check.
template <class T> class Checked {
public:
    Checked(T value) : value_(std::move(value)), status_(Status::ok()) {}
    Checked(Status failure) : status_(std::move(failure)) {}
    bool failed() const { return status_.failed(); }
    const Status& status() const { return status_; }
    const T& operator*() const { return *value_; }

private:
    std::optional<T> value_;
    Status status_;
};

// The installation and version check that runs once per start, before any window exists.
// The install record lies under HKEY_LOCAL_MACHINE\Software\Varnholt\Platterbox: "Version"
// (DWORD), "EXE Location" (string), "NeverAsk" (DWORD 0/1) and "NeverAskVer" (DWORD).
// A higher installed version is started in this copy's place with this copy's path and version
// as its arguments; a lower one is replaced by this copy's program file (the old file stays as
// "<name>.1300" beside it); without a record the user is offered an installation, which he may
// decline for this version. The registry is opened once for the whole check.
//
// The old file's backup takes the first free name ("<name>.1300", "<name>.1300.1", ...); when it
// cannot be made nothing is replaced, and a failed copy puts the old file back. The running
// program's own file is never moved or overwritten: a record naming it only gets this version.
// A higher version is started only when its file is not this program's and no copy in this
// chain of starts (kept in the started program's environment, HandOffChainVariable) has started
// it or been started already; otherwise this copy goes on as if no higher version existed.
class InstallationCheck {
public:
    // Reads (and clears from this process) the chain of starts this copy belongs to.
    InstallationCheck(UserDialogs& dialogs, QString ownPath, StartProgram startProgram);

    static constexpr const char* HandOffChainVariable = "PLATTERBOX_STARTED_CHAIN";

    // The whole check. A registry failure anywhere (a value of the wrong type, a refused write)
    // is reported once, "Error accessing the registery!", and this copy continues.
    InstallationOutcome run();

    // False when the user declined this version or an older one's refusal still counts.
    Checked<bool> shouldAsk();
    // Asks whether to prompt again; on No records the refusal for this version.
    Status declinePrompt();
    // Copies the program file to the previous location (keeping the old file as a backup) or,
    // without one, to "<chosen folder>/Platterbox/"; true when copied and recorded.
    Checked<bool> install(const QString& source, const QString& previousLocation);

private:
    Status check();
    Status checkInstalledVersion();
    void startHigherVersion(const QString& location, qint32 version);
    bool mayStart(const QString& location) const;
    Status upgrade(const QString& location, qint32 oldVersion);
    bool backUp(const QString& location);
    Status offerInstallation();
    bool atInstallKey() const;
    std::optional<QString> installDestination(const QString& source,
                                              const QString& previousLocation);
    std::optional<QString> chooseInstallFolder();
    bool copyWithRetry(const QString& source, const QString& destination);
    Status writeRecord(const QString& destination);
    Checked<bool> declined();

    UserDialogs& dialogs_;
    QString ownPath_;
    StartProgram startProgram_;
    TypedRegistry registry_;
    bool handedOver_ = false;
    QStringList chain_;             // programs started, or starting others, in this chain
    std::optional<QString> backup_; // where the old file went during this installation
};

// The check for this copy, started from ownPath.
InstallationOutcome runInstallationCheck(UserDialogs& dialogs, const QString& ownPath,
                                         const StartProgram& startProgram);
