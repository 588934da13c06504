#include "InstanceIni.h"
#include "base/PathText.h"

#include "SettingsLog.h"
#include "SettingsTable.h"
#include "TypedIniFile.h"
#include "common/PathCaseLookup.h"
#include "common/PathRules.h"
#include "base/TextDecoding.h"
#include "common/UserDialogs.h"
#include "platform/ConfigLocations.h"
#include "platform/RawNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace {

const QString General = QStringLiteral("General");
const QString PlaylistsSection = QStringLiteral("PlayLists");

Status transferGeneralSection(TypedIniFile& ini, Settings& settings, bool write) {
    bool unusedHints = false; // the hint switch is no per-copy setting
    SettingsFields fields{settings, unusedHints};
    for (const SettingEntry& entry : settingsTable()) {
        if (entry.store != SettingsStore::InstanceGeneral)
            continue;
        const Status status = transferSetting(
            entry, fields, write,
            [&](const VariableRef& value, const QVariant& defaultValue, VarType type) {
                return ini.readWrite(General, entry.key, value, defaultValue, type, write);
            });
        if (status.failed())
            return status;
    }
    // The older form of the auto-play switch still turns auto-play on.
    if (!write && ini.readInteger(General, QStringLiteral("AutoExecute"), 0) != 0)
        settings.preferences.autoPlay = true;
    return Status::ok();
}

const QByteArray FileUrlScheme("file://");

// A line break cannot stand in an INI line, nor a name that is not UTF-8 in a UTF-16 file, so
// such a path is kept as a file URL; no path stored by older versions looks like one.
QByteArray storedPath(const QByteArray& path, const QByteArray& iniFile, bool textOnly) {
    const QByteArray url = FileUrlScheme + path.toPercentEncoding("/");
    if (path.contains('\n') || path.contains('\r'))
        return url;
    // An entry kept as a URL goes back as it came.
    if (isUrlEntry(QString::fromLatin1(path)))
        return path;
    const QByteArray relative = NativePath::makeRelative(path, iniFile);
    return textOnly && !relative.isValidUtf8() ? url : relative;
}

// A local file URL's path as bytes (percent-encoded names need not be UTF-8); nothing for
// another kind of URL, or one that would name a path holding a NUL: no file has such a name,
// and cut at the NUL it would name another one. Such an entry is kept as it is written.
std::optional<QByteArray> localFileOf(const QByteArray& text) {
    const QUrl url(QString::fromLatin1(text), QUrl::StrictMode);
    if (!url.isValid() || !url.isLocalFile())
        return std::nullopt;
    const QByteArray path =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    if (path.contains('\0'))
        return std::nullopt;
    const QString host = url.host();
    if (host.isEmpty() || host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return path;
    return "//" + host.toUtf8() + path;
}

// The path a stored entry names. An entry written on Windows in its own code page may name a
// file that a Linux mount shows in UTF-8: the bytes are kept unless only that form exists.
QByteArray loadedPath(const QByteArray& text, const QByteArray& iniFile, PathCaseLookup& lookup,
                      PlaylistSpelling spelling) {
    if (text.size() >= FileUrlScheme.size() &&
        QByteArrayView(text)
                .first(FileUrlScheme.size())
                .compare(FileUrlScheme, Qt::CaseInsensitive) == 0) {
        if (const std::optional<QByteArray> path = localFileOf(text))
            return *path;
    }
    if (spelling == PlaylistSpelling::AsWritten && text.isValidUtf8())
        return lookup.resolveEntryAsWritten(text, iniFile);
    const QByteArray path = lookup.resolveEntry(text, iniFile);
    if (text.isValidUtf8() || RawNames::exists(path))
        return path;
    const QByteArray converted = lookup.resolveEntry(decodeText(text).toUtf8(), iniFile);
    return RawNames::exists(converted) ? converted : path;
}

// The number n of a key "File<n>" (any letter case, n as QString::number() writes it) below
// `count`, or -1.
qint32 fileNumber(QByteArrayView key, qint32 count) {
    if (key.size() < 5 || key.size() > 14)
        return -1;
    for (qsizetype i = 0; i < 4; ++i)
        if ((key.at(i) | 0x20) != "file"[i]) // letters ignoring case; no other byte matches
            return -1;
    const QByteArrayView digits = key.sliced(4);
    if (digits.size() > 1 && digits.front() == '0')
        return -1;
    qint64 number = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return -1;
        number = number * 10 + (c - '0');
    }
    return number < count ? qint32(number) : -1;
}

// The values of "File0" to "File<count - 1>" in one pass over the section, the first of a
// repeated key winning; a missing one is empty.
QList<QByteArrayView> listedFiles(const TypedIniFile& ini, qint32 count) {
    QList<QByteArrayView> files(qMax(count, 0));
    const QList<IniDocument::KeyValue> lines = ini.keyValues(PlaylistsSection);
    for (auto line = lines.crbegin(); line != lines.crend(); ++line)
        if (const qint32 number = fileNumber(line->key, count); number >= 0)
            files[number] = line->value;
    return files;
}

Status transferPlaylistSection(TypedIniFile& ini, const QString& fileName,
                               QList<QByteArray>& playlists, bool write,
                               PlaylistSpelling spelling) {
    const QString total = QStringLiteral("Total");
    // A count that cannot be read (missing, "two") must not pass for an empty list: loading
    // says so, and the playlists the file names stay until the user makes a new list.
    const bool countUnreadable = ini.readInteger(PlaylistsSection, total, 0) !=
                                     ini.readInteger(PlaylistsSection, total, 1) &&
                                 ini.hasValue(PlaylistsSection, QStringLiteral("File0"));
    if (countUnreadable && (!write || playlists.isEmpty())) {
        if (!write)
            qCWarning(lcSettings).nospace()
                << "loading " << fileName << ": the playlist count is unreadable";
        return write ? Status::ok() : Status::failure(QStringLiteral("Unreadable playlist count"));
    }
    qint32 count = 0;
    if (write) {
        if (Status erased = ini.eraseSection(PlaylistsSection); erased.failed())
            return erased;
        count = qint32(playlists.size());
    }
    Status status = ini.readWrite(PlaylistsSection, QStringLiteral("Total"), &count, 0,
                                  VarType::Integer, write);
    if (status.failed())
        return status;
    const QByteArray iniFile = pathBytes(fileName);
    // Playlists are found as on Windows: letter case aside, and on Linux names with a
    // backslash; one lookup keeps the folder listings for the whole list.
    if (write) {
        for (qint32 i = 0; i < count; ++i) {
            status = ini.writeBytes(PlaylistsSection, QLatin1String("File") + QString::number(i),
                                    storedPath(playlists.at(i), iniFile, ini.holdsOnlyText()));
            if (status.failed())
                return status;
        }
        return Status::ok();
    }
    PathCaseLookup lookup;
    const QList<QByteArrayView> files = listedFiles(ini, count);
    playlists.reserve(playlists.size() + files.size());
    for (qint32 i = 0; i < files.size(); ++i) {
        const QByteArray text = files.at(i).toByteArray();
        QByteArray path =
            text.isEmpty() ? QByteArray() : loadedPath(text, iniFile, lookup, spelling);
        if (path.isEmpty()) {
            qCWarning(lcSettings).nospace()
                << "loading " << fileName << ": File" << i << " is empty";
            return Status::failure(QStringLiteral("Empty playlist entry"));
        }
        playlists.append(std::move(path));
    }
    return Status::ok();
}

// Loads (write false) or saves (write true) the whole file.
void transferInstanceIni(const QString& fileName, bool write, Settings& settings,
                         QList<QByteArray>& playlists, UserDialogs& dialogs,
                         PlaylistSpelling spelling) {
    TypedIniFile ini(fileName);
    if (write)
        ini.deferWrites();
    Status status = transferGeneralSection(ini, settings, write);
    if (status.isOk() && !write && !ini.isReadable())
        status = Status::failure(QStringLiteral("Unreadable file")); // its defaults are taken
    if (status.isOk())
        status = transferPlaylistSection(ini, fileName, playlists, write, spelling);
    if (status.isOk() && write)
        status = ini.commit();
    // Each failure was logged where its cause was known.
    if (status.failed()) {
        dialogs.showMessage(write ? QStringLiteral("Error saving initialization information!")
                                  : QStringLiteral("Error reading initialization information!"));
    }
}

} // namespace

void readInstanceIni(const QString& fileName, Settings& settings, QList<QByteArray>& playlists,
                     UserDialogs& dialogs, PlaylistSpelling spelling) {
    // Something that is not a file in its place (a FIFO, a folder) is reported as unreadable.
    if (RawNames::exists(pathBytes(fileName))) {
        transferInstanceIni(fileName, false, settings, playlists, dialogs, spelling);
        return;
    }
    // An installed copy has no file before its first close; that is no news to the user.
    if (fileName != ConfigLocations::perUserIniFile()) {
        qCWarning(lcSettings).nospace() << "loading " << fileName << ": not found, defaults taken";
        dialogs.showMessage(shownPath(fileName) +
                            QLatin1String("\rInitialization file not found!\r") +
                            QLatin1String("Default preferences will be used."));
    }
    setPerCopyDefaults(settings);
}

void writeInstanceIni(const QString& fileName, Settings& settings,
                      const QList<QByteArray>& playlists, UserDialogs& dialogs) {
    // Only the per-user folder is made here: a copy's own folder that is gone stays an error.
    if (fileName == ConfigLocations::perUserIniFile())
        QDir().mkpath(QFileInfo(fileName).absolutePath());
    QList<QByteArray> written = playlists; // shared, not copied: writing only reads it
    transferInstanceIni(fileName, true, settings, written, dialogs, PlaylistSpelling::OnDisk);
}

void setPerCopyDefaults(Settings& settings) {
    bool unusedHints = false;
    SettingsFields fields{settings, unusedHints};
    for (const SettingEntry& entry : settingsTable()) {
        if (entry.store == SettingsStore::InstanceGeneral)
            applyDefault(entry, fields);
    }
}
