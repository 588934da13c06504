#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>

// Options edited in Preferences.
struct Preferences {
    qint32 verb = 0;          // 0..2 index PlayVerbs, 3 the custom command
    qint32 iconPlacement = 0; // 0 taskbar, 1 system tray, 2 both
    qint32 autoPlayDelaySeconds = 0;
    qint32 closeDelaySeconds = 0;
    qint32 shuffleMode = 0; // 0 normal order, 1 partial shuffle, 2 total shuffle
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
    // Full path of every listed playlist as the file system's bytes (names need not be UTF-8);
    // item i belongs to item i of the playlist box.
    QList<QByteArray> playlists;
};

// The process-wide record.
Settings& settingsRecord();

inline const std::array<QString, 2> PlayListMasks = {QStringLiteral("*.M3U"),
                                                     QStringLiteral("*.PLS")};

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
