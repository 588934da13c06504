#include "SettingsTable.h"

namespace {

using Fields = SettingsFields;
using Store = SettingsStore;

template <class Enum>
Status transferEnum(Enum* field, const SettingEntry& entry, bool write, const StoreCall& call) {
    qint32 number = qint32(*field);
    const Status status = call(&number, entry.defaultValue, VarType::Integer);
    if (!write && status.isOk())
        *field = Enum(number);
    return status;
}

} // namespace

const QList<SettingEntry>& settingsTable() {
    static const QList<SettingEntry> table = {
        {QLatin1String("frmMain_Top"), Store::UserRegistry, 100,
         [](Fields& f) -> SettingField { return &f.settings.window.top; }},
        {QLatin1String("frmMain_Left"), Store::UserRegistry, 100,
         [](Fields& f) -> SettingField { return &f.settings.window.left; }},
        {QLatin1String("frmMain_Width"), Store::UserRegistry, 505,
         [](Fields& f) -> SettingField { return &f.settings.window.width; }},
        {QLatin1String("frmMain_Height"), Store::UserRegistry, 385,
         [](Fields& f) -> SettingField { return &f.settings.window.height; }},
        {QLatin1String("frmMain_lbPlayLists_Height"), Store::UserRegistry, 30,
         [](Fields& f) -> SettingField { return &f.settings.window.playlistListHeight; }},
        {QLatin1String("dlgPreferences_radCommand_ItemIndex"), Store::UserRegistry, 0,
         [](Fields& f) -> SettingField { return &f.settings.preferences.verb; }},
        {QLatin1String("dlgPreferences_radIcon_ItemIndex"), Store::UserRegistry, 0,
         [](Fields& f) -> SettingField { return &f.settings.preferences.iconPlacement; }},
        // The stored name of the custom command really begins with dlgCreatePL.
        {QLatin1String("dlgCreatePL_edCommand_Text"), Store::UserRegistry, QString(),
         [](Fields& f) -> SettingField { return &f.settings.preferences.customVerb; }},
        {QLatin1String("dlgPreferences_cbSaveIni_Checked"), Store::UserRegistry, true,
         [](Fields& f) -> SettingField { return &f.settings.preferences.saveIniOnClose; }},
        {QLatin1String("dlgPreferences_cbShowHints_Checked"), Store::UserRegistry, true,
         [](Fields& f) -> SettingField { return &f.showHints; }},
        {QLatin1String("dlgPreferences_cbIgnoreInstances_Checked"), Store::UserRegistry, false,
         [](Fields& f) -> SettingField { return &f.settings.preferences.ignoreOtherCopies; }},
        {QLatin1String("dlgAddPL_radFolder_Checked"), Store::UserRegistry, false,
         [](Fields& f) -> SettingField { return &f.settings.addPlaylists.fromFolder; }},
        {QLatin1String("dlgAddPL_cbSubFolders_Checked"), Store::UserRegistry, false,
         [](Fields& f) -> SettingField { return &f.settings.addPlaylists.withSubFolders; }},
        {QLatin1String("dlgAddPL_edFile_Text"), Store::UserRegistry, QString(),
         [](Fields& f) -> SettingField { return &f.settings.addPlaylists.file; }},
        {QLatin1String("dlgAddPL_edFolder_Text"), Store::UserRegistry, QString(),
         [](Fields& f) -> SettingField { return &f.settings.addPlaylists.folder; }},
        {QLatin1String("dlgCreatePL_radInFolders_Checked"), Store::UserRegistry, true,
         [](Fields& f) -> SettingField { return &f.settings.createPlaylists.inMusicFolders; }},
        {QLatin1String("dlgCreatePL_cbSort_Checked"), Store::UserRegistry, true,
         [](Fields& f) -> SettingField { return &f.settings.createPlaylists.sorted; }},
        {QLatin1String("dlgCreatePL_cbSubFolders_Checked"), Store::UserRegistry, true,
         [](Fields& f) -> SettingField { return &f.settings.createPlaylists.withSubFolders; }},
        {QLatin1String("dlgCreatePL_edBaseFolder_Text"), Store::UserRegistry, QString(),
         [](Fields& f) -> SettingField { return &f.settings.createPlaylists.baseFolder; }},
        {QLatin1String("dlgCreatePL_edPLFolder_Text"), Store::UserRegistry, QString(),
         [](Fields& f) -> SettingField { return &f.settings.createPlaylists.playlistsFolder; }},
        {QLatin1String("dlgAutoCD_edFolder_Text"), Store::UserRegistry, QString(),
         [](Fields& f) -> SettingField { return &f.settings.mp3Cd.folder; }},
        {QLatin1String("dlgFindMissing_edFolder_Text"), Store::UserRegistry, QString(),
         [](Fields& f) -> SettingField { return &f.settings.findMissing.folder; }},
        {QLatin1String("dlgCopyTo_edFolder_Text"), Store::UserRegistry, QString(),
         [](Fields& f) -> SettingField { return &f.settings.copyTo.folder; }},
        {QLatin1String("dlgCopyTo_radLayout_ItemIndex"), Store::UserRegistry, 0,
         [](Fields& f) -> SettingField { return &f.settings.copyTo.layout; }},
        {QLatin1String("dlgCopyTo_cbDeviceNames_Checked"), Store::UserRegistry, true,
         [](Fields& f) -> SettingField { return &f.settings.copyTo.deviceNames; }},
        {QLatin1String("dlgCopyTo_cbCarStereoM3U_Checked"), Store::UserRegistry, false,
         [](Fields& f) -> SettingField { return &f.settings.copyTo.carStereoM3u; }},

        {QLatin1String("cbAutoExecute_Checked"), Store::InstanceGeneral, false,
         [](Fields& f) -> SettingField { return &f.settings.preferences.autoPlay; }},
        {QLatin1String("cbAutoExecuteDelay_Checked"), Store::InstanceGeneral, true,
         [](Fields& f) -> SettingField { return &f.settings.preferences.autoPlayAfterDelay; }},
        {QLatin1String("cbAutoExecuteHide_Checked"), Store::InstanceGeneral, true,
         [](Fields& f) -> SettingField { return &f.settings.preferences.hideWhileAutoPlaying; }},
        {QLatin1String("cbAutoExecuteClose_Checked"), Store::InstanceGeneral, true,
         [](Fields& f) -> SettingField { return &f.settings.preferences.closeAfterAutoPlay; }},
        {QLatin1String("cbShufflePL_Checked"), Store::InstanceGeneral, true,
         [](Fields& f) -> SettingField { return &f.settings.preferences.shufflePlaylists; }},
        {QLatin1String("cbShuffleWithinPL_Checked"), Store::InstanceGeneral, false,
         [](Fields& f) -> SettingField { return &f.settings.preferences.shuffleWithinPlaylists; }},
        {QLatin1String("spinAutoExecuteDelay_Value"), Store::InstanceGeneral, 5,
         [](Fields& f) -> SettingField { return &f.settings.preferences.autoPlayDelaySeconds; }},
        {QLatin1String("spinAutoExecuteCloseDelay_Value"), Store::InstanceGeneral, 30,
         [](Fields& f) -> SettingField { return &f.settings.preferences.closeDelaySeconds; }},
        {QLatin1String("grpShuffle_Tag"), Store::InstanceGeneral, 0,
         [](Fields& f) -> SettingField { return &f.settings.preferences.shuffleMode; }},
    };
    return table;
}

Status transferSetting(const SettingEntry& entry, SettingsFields& fields, bool write,
                       const StoreCall& call) {
    return std::visit(
        [&](auto* field) -> Status {
            using Field = std::remove_pointer_t<decltype(field)>;
            if constexpr (std::is_same_v<Field, bool>)
                return call(field, entry.defaultValue, VarType::Bool);
            else if constexpr (std::is_same_v<Field, qint32>)
                return call(field, entry.defaultValue, VarType::Integer);
            else if constexpr (std::is_same_v<Field, QString>)
                return call(field, entry.defaultValue, VarType::String);
            else
                return transferEnum(field, entry, write, call);
        },
        entry.field(fields));
}

void applyDefault(const SettingEntry& entry, SettingsFields& fields) {
    std::visit(
        [&](auto* field) {
            using Field = std::remove_pointer_t<decltype(field)>;
            if constexpr (std::is_same_v<Field, bool>)
                *field = entry.defaultValue.toBool();
            else if constexpr (std::is_same_v<Field, QString>)
                *field = entry.defaultValue.toString();
            else
                *field = Field(entry.defaultValue.toInt());
        },
        entry.field(fields));
}
