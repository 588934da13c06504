#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>

// The enums are stored as their integer values; a stored number outside the named ones is
// kept as it is.

// The verb the temporary playlist is opened with: one of PlayVerbs or the custom command.
enum class PlayVerb : qint32 { Open = 0, Play = 1, Enqueue = 2, Custom = 3 };

// Where the program's icon is shown.
enum class IconPlacement : qint32 { Taskbar = 0, SystemTray = 1, Both = 2 };

// How the songs handed to the player are ordered.
enum class ShuffleMode : qint32 { Normal = 0, Partial = 1, Total = 2 };

// Options edited in Preferences.
struct Preferences {
    PlayVerb verb = PlayVerb::Open;
    IconPlacement iconPlacement = IconPlacement::Taskbar;
    qint32 autoPlayDelaySeconds = 0;
    qint32 closeDelaySeconds = 0;
    ShuffleMode shuffleMode = ShuffleMode::Normal;
    QString customVerb;
    bool saveIniOnClose = false;
    bool ignoreOtherCopies = false;
    bool autoPlay = false;
    bool autoPlayAfterDelay = false;
    bool hideWhileAutoPlaying = false;
    bool closeAfterAutoPlay = false;
    bool shufflePlaylists = false;
    bool shuffleWithinPlaylists = false;

    bool operator==(const Preferences&) const = default;
};

// Last inputs of the Add Playlists dialog.
struct AddPlaylistsInputs {
    bool fromFolder = false;
    bool withSubFolders = false;
    QString file;
    QString folder;

    bool operator==(const AddPlaylistsInputs&) const = default;
};

// Last inputs of the Create Playlists dialog.
struct CreatePlaylistsInputs {
    bool inMusicFolders = false;
    bool sorted = false;
    bool withSubFolders = false;
    QString baseFolder;
    QString playlistsFolder;

    bool operator==(const CreatePlaylistsInputs&) const = default;
};

// Last input of the MP3CD wizard.
struct Mp3CdInputs {
    QString folder;

    bool operator==(const Mp3CdInputs&) const = default;
};

// Last input of Find Missing Songs: the folder searched.
struct FindMissingInputs {
    QString folder;

    bool operator==(const FindMissingInputs&) const = default;
};

// Last inputs of Copy to Folder: the device's folder, the layout of the songs there (an
// item index: 0 keeps the folders, 1 makes a folder per playlist), whether names are made
// valid on any device, and whether playlists are written as M3U for car stereos.
struct CopyToInputs {
    QString folder;
    qint32 layout = 0;
    bool deviceNames = false;
    bool carStereoM3u = false;

    bool operator==(const CopyToInputs&) const = default;
};

// Where the main window was when the program last closed.
struct WindowPlacement {
    qint32 top = 0;
    qint32 left = 0;
    qint32 width = 0;
    qint32 height = 0;
    qint32 playlistListHeight = 0; // the upper list's share of the splitter

    bool operator==(const WindowPlacement&) const = default;
};

// The one settings record of the program. Every field is zero, false or empty until the
// registry and INI loaders give it its stored value or default.
struct Settings {
    WindowPlacement window;
    Preferences preferences;
    AddPlaylistsInputs addPlaylists;
    CreatePlaylistsInputs createPlaylists;
    Mp3CdInputs mp3Cd;
    FindMissingInputs findMissing;
    CopyToInputs copyTo;
};

inline const std::array<QString, 6> PlaylistMasks = {
    QStringLiteral("*.M3U"),  QStringLiteral("*.PLS"), QStringLiteral("*.M3U8"),
    QStringLiteral("*.XSPF"), QStringLiteral("*.WPL"), QStringLiteral("*.ASX")};

inline const std::array<QString, 18> MediaMasks = {
    QStringLiteral("*.MID"), QStringLiteral("*.MP3"), QStringLiteral("*.MP2"),
    QStringLiteral("*.MP1"), QStringLiteral("*.VOC"), QStringLiteral("*.WAV"),
    QStringLiteral("*.CDA"), QStringLiteral("*.IT"),  QStringLiteral("*.XM"),
    QStringLiteral("*.S3M"), QStringLiteral("*.STM"), QStringLiteral("*.MOD"),
    QStringLiteral("*.DSM"), QStringLiteral("*.FAR"), QStringLiteral("*.ULT"),
    QStringLiteral("*.MTM"), QStringLiteral("*.669"), QStringLiteral("*.AS")};

inline const std::array<QString, 3> PlayVerbs = {QStringLiteral("open"), QStringLiteral("Play"),
                                                 QStringLiteral("Enqueue")};

// The program's version number (1.3 to the user).
constexpr int ProgramVersion = 1300;
