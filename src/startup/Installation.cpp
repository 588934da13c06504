#include "Installation.h"

#include "PathExtension.h"
#include "IniPathChoice.h"
#include "StartupLog.h"
#include "common/PathRules.h"
#include "common/UserDialogs.h"
#include "platform/FileOperations.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString InstallKey = QStringLiteral("Software\\Varnholt\\Platterbox");
const QString VersionName = QStringLiteral("Version");
const QString LocationName = QStringLiteral("EXE Location");
const QString NeverAskName = QStringLiteral("NeverAsk");
const QString NeverAskVerName = QStringLiteral("NeverAskVer");

QString version() {
    return QString::number(ProgramVersion);
}

// Only the user's one message is shown; the reason goes to the log.
Status wrongType(const QString& name) {
    qCWarning(lcStartup) << "the installation record's" << name << "has the wrong type";
    return Status::failure(QLatin1String("Wrong type of '") + name + QLatin1Char('\''));
}

QString copyFailureText(const QString& source, const QString& destination) {
    return QLatin1String("Can not copy file!\rSource: ") + source +
           QLatin1String("\rDestionation: ") + destination;
}

QString upgradedText(qint32 oldVersion) {
    return QLatin1String("This new version (") + version() +
           QLatin1String(") had been updated on your drive.\rOld version (") +
           QString::number(oldVersion) +
           QLatin1String(") had been backuped up on the same folder.");
}

QString backupFailureText(const QString& location) {
    return QLatin1String("Can not back up the old version!\rLocation: ") + location;
}

constexpr int MaxBackupNumber = 999;

// "a,b": each program path percent-encoded, so any name survives.
QStringList decodeChain(const QByteArray& text) {
    QStringList chain;
    for (const QByteArray& part : text.split(','))
        if (!part.isEmpty())
            chain << QString::fromUtf8(QByteArray::fromPercentEncoding(part));
    return chain;
}

QByteArray encodeChain(const QStringList& chain) {
    QByteArrayList parts;
    for (const QString& program : chain)
        parts << program.toUtf8().toPercentEncoding();
    return parts.join(',');
}

QString startFailureText(const QString& location, qint32 installedVersion) {
    return QLatin1String("Unable to run a higher version of the program!\rLocation: ") + location +
           QLatin1String("\rVersion: ") + QString::number(installedVersion);
}

} // namespace

InstallationCheck::InstallationCheck(UserDialogs& dialogs, QString ownPath,
                                     StartProgram startProgram)
    : dialogs_(dialogs), ownPath_(std::move(ownPath)), startProgram_(std::move(startProgram)),
      chain_(decodeChain(qgetenv(HandOffChainVariable))) {
    // Programs this copy starts later (the player) are no part of the chain.
    qunsetenv(HandOffChainVariable);
    registry_.setRootKey(RegistryRoot::LocalMachine);
}

InstallationOutcome InstallationCheck::run() {
    handedOver_ = false;
    // A failure was logged where its cause was known (here, or by the registry file).
    if (const Status status = check(); status.failed())
        dialogs_.showMessage(QStringLiteral("Error accessing the registery!"));
    registry_.closeKey();
    return handedOver_ ? InstallationOutcome::HandedOver : InstallationOutcome::Continue;
}

Status InstallationCheck::check() {
    if (registry_.openKey(InstallKey, false) && registry_.valueExists(VersionName) &&
        registry_.valueExists(LocationName))
        return checkInstalledVersion();
    return offerInstallation();
}

Status InstallationCheck::checkInstalledVersion() {
    const std::optional<qint32> installedVersion = registry_.readInteger(VersionName);
    if (!installedVersion)
        return wrongType(VersionName);
    const std::optional<QString> location = registry_.readString(LocationName);
    if (!location)
        return wrongType(LocationName);
    if (*installedVersion > ProgramVersion) {
        if (mayStart(*location))
            startHigherVersion(*location, *installedVersion);
    } else if (*installedVersion < ProgramVersion) {
        // This very program is the one recorded: only the record is behind.
        if (FileOperations::isSameFile(*location, ownPath_))
            return registry_.writeInteger(VersionName, ProgramVersion);
        return upgrade(*location, *installedVersion);
    }
    return Status::ok();
}

// Starting this program's own file, or one already in the chain, would start copies forever.
bool InstallationCheck::mayStart(const QString& location) const {
    if (FileOperations::isSameFile(location, ownPath_))
        return false;
    for (const QString& program : chain_)
        if (FileOperations::isSameFile(program, location) ||
            FileOperations::isSameFile(program, ownPath_))
            return false;
    return true;
}

void InstallationCheck::startHigherVersion(const QString& location, qint32 installedVersion) {
    // The started copy inherits the chain; this process's own environment is left as it was.
    qputenv(HandOffChainVariable, encodeChain(chain_ + QStringList{ownPath_, location}));
    const bool started = startProgram_(location, {ownPath_, version()});
    qunsetenv(HandOffChainVariable);
    if (started)
        handedOver_ = true;
    else
        dialogs_.showMessage(startFailureText(location, installedVersion));
}

Status InstallationCheck::upgrade(const QString& location, qint32 oldVersion) {
    const Checked<bool> ask = shouldAsk();
    if (ask.failed() || !*ask)
        return ask.status();
    const Checked<bool> installed = install(ownPath_, location);
    if (!installed.failed() && *installed)
        dialogs_.showMessage(upgradedText(oldVersion));
    return installed.status();
}

Status InstallationCheck::offerInstallation() {
    // A copy the system installed is where an installation would put it: it records itself
    // rather than offering to copy itself somewhere else.
    if (isSystemInstalledCopy(ownPath_))
        return writeRecord(ownPath_);
    const Checked<bool> ask = shouldAsk();
    if (ask.failed() || !*ask)
        return ask.status();
    if (dialogs_.askYesNo(QStringLiteral(
            "You have never used Platterbox before, would you like to install it now?")))
        return install(ownPath_, QString()).status();
    return declinePrompt();
}

bool InstallationCheck::atInstallKey() const {
    return registry_.currentPath().compare(InstallKey, Qt::CaseInsensitive) == 0;
}

Checked<bool> InstallationCheck::shouldAsk() {
    if (!atInstallKey())
        (void)registry_.openKey(InstallKey, false);
    if (!registry_.valueExists(NeverAskVerName) || !registry_.valueExists(NeverAskName))
        return true;
    const std::optional<bool> neverAsk = registry_.readBool(NeverAskName);
    if (!neverAsk)
        return wrongType(NeverAskName);
    const std::optional<qint32> neverAskVersion = registry_.readInteger(NeverAskVerName);
    if (!neverAskVersion)
        return wrongType(NeverAskVerName);
    return !(*neverAsk && *neverAskVersion >= ProgramVersion);
}

Status InstallationCheck::declinePrompt() {
    if (dialogs_.askYesNo(QStringLiteral("Installation had not been completed, would you\r"
                                         "like to be prompted again for this version?")))
        return Status::ok();
    // A key that cannot be created leaves none open, and the writes below then fail.
    if (!atInstallKey())
        (void)registry_.openKey(InstallKey, true);
    Status status = registry_.writeInteger(NeverAskVerName, ProgramVersion);
    if (status)
        status = registry_.writeBool(NeverAskName, true);
    return status;
}

Checked<bool> InstallationCheck::install(const QString& source, const QString& previousLocation) {
    backup_.reset();
    const std::optional<QString> destination = installDestination(source, previousLocation);
    if (!destination)
        return declined();
    if (!copyWithRetry(source, *destination)) {
        // The old program goes back to its place rather than leave none there.
        if (backup_ && !FileOperations::isNameTaken(*destination))
            (void)FileOperations::moveFile(*backup_, *destination);
        return declined();
    }
    const Status recorded = writeRecord(*destination);
    if (recorded.failed())
        return recorded;
    return true;
}

Checked<bool> InstallationCheck::declined() {
    const Status status = declinePrompt();
    if (status.failed())
        return status;
    return false;
}

std::optional<QString> InstallationCheck::installDestination(const QString& source,
                                                             const QString& previousLocation) {
    if (!previousLocation.isEmpty() && QFileInfo(previousLocation).isFile()) {
        // An upgrade: the old file stays beside the new one, or nothing is replaced.
        if (FileOperations::isSameFile(previousLocation, source) || !backUp(previousLocation)) {
            if (FileOperations::isSameFile(previousLocation, source))
                qCWarning(lcStartup).nospace()
                    << "not backing up " << previousLocation << ": it is this very program";
            dialogs_.showMessage(backupFailureText(previousLocation));
            return std::nullopt;
        }
        return previousLocation;
    }
    const std::optional<QString> folder = chooseInstallFolder();
    if (!folder)
        return std::nullopt;
    const QString target =
        NativePath::withTrailingSeparator(*folder) + QLatin1String("Platterbox/");
    // A folder that cannot be made shows up as a failed copy.
    (void)QDir().mkpath(target);
    return target + NativePath::fileName(source);
}

bool InstallationCheck::backUp(const QString& location) {
    const QString first = withExtension(location, QLatin1Char('.') + version());
    for (int number = 0; number <= MaxBackupNumber; ++number) {
        const QString name =
            number == 0 ? first : first + QLatin1Char('.') + QString::number(number);
        if (FileOperations::isNameTaken(name))
            continue;
        if (!FileOperations::moveFile(location, name))
            return false; // the move logged why
        backup_ = name;
        return true;
    }
    qCWarning(lcStartup).nospace()
        << "not backing up " << location << ": every backup name is taken";
    return false;
}

std::optional<QString> InstallationCheck::chooseInstallFolder() {
    for (;;) {
        const std::optional<QString> folder =
            dialogs_.chooseFolder(QStringLiteral("Select where to install Platterbox:"), QString());
        if (folder && !folder->isEmpty())
            return folder;
        if (dialogs_.askYesNo(QStringLiteral("No folder selected, abort?"),
                              UserDialogs::BoxKind::Warning))
            return std::nullopt;
    }
}

bool InstallationCheck::copyWithRetry(const QString& source, const QString& destination) {
    while (!FileOperations::copyFileReplacing(source, destination))
        if (!dialogs_.askRetryCancel(copyFailureText(source, destination),
                                     UserDialogs::BoxKind::Error))
            return false;
    return true;
}

Status InstallationCheck::writeRecord(const QString& destination) {
    if (!atInstallKey())
        (void)registry_.openKey(InstallKey, true);
    Status status = registry_.writeInteger(VersionName, ProgramVersion);
    if (status)
        status = registry_.writeString(LocationName, destination);
    if (status)
        status = registry_.writeInteger(NeverAskVerName, ProgramVersion);
    if (status)
        status = registry_.writeBool(NeverAskName, false);
    return status;
}

InstallationOutcome runInstallationCheck(UserDialogs& dialogs, const QString& ownPath,
                                         const StartProgram& startProgram) {
    return InstallationCheck(dialogs, ownPath, startProgram).run();
}
