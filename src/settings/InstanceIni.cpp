#include "InstanceIni.h"

#include "TEnhIniFile.h"
#include "common/PathCaseLookup.h"
#include "common/PathRules.h"
#include "common/UserDialogs.h"
#include "platform/ConfigLocations.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace {

const QString General = QStringLiteral("General");
const QString PlayListsSection = QStringLiteral("PlayLists");

struct GeneralKey {
    QLatin1String name;
    VarRef data;
    QVariant defaultValue;
    VarType type;
};

// The "General" keys after cbAutoExecute_Checked, in the order they are stored.
QList<GeneralKey> remainingGeneralKeys(TVARdlgPreferences& p) {
    return {
        {QLatin1String("cbAutoExecuteDelay_Checked"), &p.cbAutoExecuteDelay_Checked, true,
         VarType::Bool},
        {QLatin1String("cbAutoExecuteHide_Checked"), &p.cbAutoExecuteHide_Checked, true,
         VarType::Bool},
        {QLatin1String("cbAutoExecuteClose_Checked"), &p.cbAutoExecuteClose_Checked, true,
         VarType::Bool},
        {QLatin1String("cbShufflePL_Checked"), &p.cbShufflePL_Checked, true, VarType::Bool},
        {QLatin1String("cbShuffleWithinPL_Checked"), &p.cbShuffleWithinPL_Checked, false,
         VarType::Bool},
        {QLatin1String("spinAutoExecuteDelay_Value"), &p.spinAutoExecuteDelay_Value, 5,
         VarType::Integer},
        {QLatin1String("spinAutoExecuteCloseDelay_Value"), &p.spinAutoExecuteCloseDelay_Value, 30,
         VarType::Integer},
        {QLatin1String("grpShuffle_Tag"), &p.grpShuffle_Tag, 0, VarType::Integer},
    };
}

Status readWriteGeneral(TEnhIniFile& ini, TVARdlgPreferences& p, bool write) {
    Status status = ini.ReadWriteSth(General, QStringLiteral("cbAutoExecute_Checked"),
                                     &p.cbAutoExecute_Checked, false, VarType::Bool, write);
    if (status.failed())
        return status;
    // The older form of the auto-play switch still turns auto-play on.
    if (!write && ini.readInteger(General, QStringLiteral("AutoExecute"), 0) != 0)
        p.cbAutoExecute_Checked = true;
    for (const GeneralKey& key : remainingGeneralKeys(p)) {
        status = ini.ReadWriteSth(General, key.name, key.data, key.defaultValue, key.type, write);
        if (status.failed())
            return status;
    }
    return Status::ok();
}

const QLatin1String FileUrlScheme("file://");

// A line break cannot stand in an INI line, so such a path is kept as a file URL; no path
// stored by older versions looks like one.
QString storedPath(const QString& path, const QString& iniFile) {
    if (path.contains(u'\n') || path.contains(u'\r'))
        return QString::fromLatin1(QUrl::fromLocalFile(path).toEncoded());
    return MakeRelativePath(path, iniFile);
}

QString loadedPath(const QString& text, const QString& iniFile, PathCaseLookup& lookup) {
    if (text.startsWith(FileUrlScheme, Qt::CaseInsensitive)) {
        const QUrl url(text, QUrl::StrictMode);
        if (url.isValid() && url.isLocalFile())
            return url.toLocalFile();
    }
    return lookup.resolveEntry(text, iniFile);
}

Status readWritePlayLists(TEnhIniFile& ini, const QString& fileName, QStringList& playLists,
                          bool write) {
    const QString total = QStringLiteral("Total");
    // A count that cannot be read (missing, "two") must not pass for an empty list: loading
    // says so, and the playlists the file names stay until the user makes a new list.
    const bool countUnreadable = ini.readInteger(PlayListsSection, total, 0) !=
                                     ini.readInteger(PlayListsSection, total, 1) &&
                                 ini.hasValue(PlayListsSection, QStringLiteral("File0"));
    if (countUnreadable && (!write || playLists.isEmpty()))
        return write ? Status::ok() : Status::failure(QStringLiteral("Unreadable playlist count"));
    qint32 count = 0;
    if (write) {
        if (Status erased = ini.eraseSection(PlayListsSection); erased.failed())
            return erased;
        count = qint32(playLists.size());
    }
    Status status = ini.ReadWriteSth(PlayListsSection, QStringLiteral("Total"), &count, 0,
                                     VarType::Integer, write);
    if (status.failed())
        return status;
    // Playlists are found as on Windows: letter case aside, and on Linux names with a
    // backslash; one lookup keeps the folder listings for the whole list.
    PathCaseLookup lookup;
    for (qint32 i = 0; i < count; ++i) {
        QString text = write ? storedPath(playLists.at(i), fileName) : QString();
        status = ini.ReadWriteSth(PlayListsSection, QLatin1String("File") + QString::number(i),
                                  &text, QString(), VarType::String, write);
        if (status.failed())
            return status;
        if (!write) {
            if (text.isEmpty())
                return Status::failure(QStringLiteral("Empty playlist entry"));
            playLists.append(loadedPath(text, fileName, lookup));
        }
    }
    return Status::ok();
}

} // namespace

void ReadWriteIni(const QString& fileName, bool write, TSharedVariables& vars,
                  UserDialogs& dialogs) {
    TEnhIniFile ini(fileName);
    if (write)
        ini.deferWrites();
    Status status = readWriteGeneral(ini, vars.dlgPreferences, write);
    if (status.isOk() && !write && !ini.isReadable())
        status = Status::failure(QStringLiteral("Unreadable file")); // its defaults are taken
    if (status.isOk())
        status = readWritePlayLists(ini, fileName, vars.PlayLists, write);
    if (status.isOk() && write)
        status = ini.commit();
    if (status.failed())
        dialogs.showMessage(write ? QStringLiteral("Error saving initialization information!")
                                  : QStringLiteral("Error reading initialization information!"));
}

void LoadIniFile(const QString& fileName, TSharedVariables& vars, UserDialogs& dialogs) {
    // Something that is not a file in its place (a FIFO, a folder) is reported as unreadable.
    if (QFileInfo::exists(fileName)) {
        ReadWriteIni(fileName, false, vars, dialogs);
        return;
    }
    // An installed copy has no file before its first close; that is no news to the user.
    if (fileName != ConfigLocations::perUserIniFile())
        dialogs.showMessage(fileName + QLatin1String("\rInitialization file not found!\r") +
                            QLatin1String("Default preferences will be used."));
    SetPerCopyDefaults(vars.dlgPreferences);
}

void SaveIniFile(const QString& fileName, TSharedVariables& vars, UserDialogs& dialogs) {
    // Only the per-user folder is made here: a copy's own folder that is gone stays an error.
    if (fileName == ConfigLocations::perUserIniFile())
        QDir().mkpath(QFileInfo(fileName).absolutePath());
    ReadWriteIni(fileName, true, vars, dialogs);
}

void SetPerCopyDefaults(TVARdlgPreferences& preferences) {
    preferences.cbAutoExecute_Checked = false;
    for (const GeneralKey& key : remainingGeneralKeys(preferences)) {
        if (bool* const* flag = std::get_if<bool*>(&key.data))
            **flag = key.defaultValue.toBool();
        else if (qint32* const* number = std::get_if<qint32*>(&key.data))
            **number = key.defaultValue.toInt();
    }
}
