#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>

// Options edited in Preferences.
struct TVARdlgPreferences {
    qint32 radCommand_ItemIndex = 0; // 0..2 index PlayVerbs, 3 the custom command
    qint32 radIcon_ItemIndex = 0;    // 0 taskbar, 1 system tray, 2 both
    qint32 spinAutoExecuteDelay_Value = 0;
    qint32 spinAutoExecuteCloseDelay_Value = 0;
    qint32 grpShuffle_Tag = 0; // 0 normal order, 1 partial shuffle, 2 total shuffle
    QString edCommand_Text;
    bool cbSaveIni_Checked = false;
    bool cbIgnoreInstances_Checked = false;
    bool cbAutoExecute_Checked = false;
    bool cbAutoExecuteDelay_Checked = false;
    bool cbAutoExecuteHide_Checked = false;
    bool cbAutoExecuteClose_Checked = false;
    bool cbShufflePL_Checked = false;
    bool cbShuffleWithinPL_Checked = false;

    bool operator==(const TVARdlgPreferences&) const = default;
};

// Last inputs of the Add Playlists dialog.
struct TVARdlgAddPL {
    bool radFolder_Checked = false;
    bool cbSubFolders_Checked = false;
    QString edFile_Text;
    QString edFolder_Text;

    bool operator==(const TVARdlgAddPL&) const = default;
};

// Last inputs of the Create Playlists dialog.
struct TVARdlgCreatePL {
    bool radInFolders_Checked = false;
    bool cbSort_Checked = false;
    bool cbSubFolders_Checked = false;
    QString edBaseFolder_Text;
    QString edPLFolder_Text;

    bool operator==(const TVARdlgCreatePL&) const = default;
};

// Last input of the MP3CD wizard.
struct TVARdlgAutoCD {
    QString edFolder_Text;

    bool operator==(const TVARdlgAutoCD&) const = default;
};

// The one settings record of the program. Every field is zero, false or empty until the
// registry and INI loaders give it its stored value or default.
struct TSharedVariables {
    qint32 frmMain_Top = 0;
    qint32 frmMain_Left = 0;
    qint32 frmMain_Width = 0;
    qint32 frmMain_Height = 0;
    qint32 frmMain_lbPlayLists_Height = 0;
    TVARdlgPreferences dlgPreferences;
    TVARdlgAddPL dlgAddPL;
    TVARdlgCreatePL dlgCreatePL;
    TVARdlgAutoCD dlgAutoCD;
    // Full path of every listed playlist as the file system's bytes (names need not be UTF-8);
    // item i belongs to item i of the playlist box.
    QList<QByteArray> PlayLists;
};

// The process-wide record.
TSharedVariables& SharedVariables();

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
