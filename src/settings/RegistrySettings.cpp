#include "RegistrySettings.h"

#include "TypedRegistry.h"

namespace {

struct RegistryEntry {
    QLatin1String name;
    VarRef data;
    QVariant defaultValue;
    VarType type;
};

QList<RegistryEntry> registryEntries(Settings& v, bool& showHints) {
    Preferences& p = v.preferences;
    return {
        {QLatin1String("frmMain_Top"), &v.window.top, 100, VarType::Integer},
        {QLatin1String("frmMain_Left"), &v.window.left, 100, VarType::Integer},
        {QLatin1String("frmMain_Width"), &v.window.width, 505, VarType::Integer},
        {QLatin1String("frmMain_Height"), &v.window.height, 385, VarType::Integer},
        {QLatin1String("frmMain_lbPlayLists_Height"), &v.window.playlistListHeight, 30,
         VarType::Integer},
        {QLatin1String("dlgPreferences_radCommand_ItemIndex"), &p.verb, 0, VarType::Integer},
        {QLatin1String("dlgPreferences_radIcon_ItemIndex"), &p.iconPlacement, 0, VarType::Integer},
        // The stored name of the custom command really begins with dlgCreatePL.
        {QLatin1String("dlgCreatePL_edCommand_Text"), &p.customVerb, QString(), VarType::String},
        {QLatin1String("dlgPreferences_cbSaveIni_Checked"), &p.saveIniOnClose, true, VarType::Bool},
        {QLatin1String("dlgPreferences_cbShowHints_Checked"), &showHints, true, VarType::Bool},
        {QLatin1String("dlgPreferences_cbIgnoreInstances_Checked"), &p.ignoreOtherCopies, false,
         VarType::Bool},
        {QLatin1String("dlgAddPL_radFolder_Checked"), &v.addPlaylists.fromFolder, false,
         VarType::Bool},
        {QLatin1String("dlgAddPL_cbSubFolders_Checked"), &v.addPlaylists.withSubFolders, false,
         VarType::Bool},
        {QLatin1String("dlgAddPL_edFile_Text"), &v.addPlaylists.file, QString(), VarType::String},
        {QLatin1String("dlgAddPL_edFolder_Text"), &v.addPlaylists.folder, QString(),
         VarType::String},
        {QLatin1String("dlgCreatePL_radInFolders_Checked"), &v.createPlaylists.inMusicFolders, true,
         VarType::Bool},
        {QLatin1String("dlgCreatePL_cbSort_Checked"), &v.createPlaylists.sorted, true,
         VarType::Bool},
        {QLatin1String("dlgCreatePL_cbSubFolders_Checked"), &v.createPlaylists.withSubFolders, true,
         VarType::Bool},
        {QLatin1String("dlgCreatePL_edBaseFolder_Text"), &v.createPlaylists.baseFolder, QString(),
         VarType::String},
        {QLatin1String("dlgCreatePL_edPLFolder_Text"), &v.createPlaylists.playlistsFolder,
         QString(), VarType::String},
        {QLatin1String("dlgAutoCD_edFolder_Text"), &v.mp3Cd.folder, QString(), VarType::String},
    };
}

} // namespace

Status readWriteRegistry(bool write, Settings& vars, bool& showHints) {
    TypedRegistry registry;
    registry.setRootKey(RegistryRoot::CurrentUser);
    // Loading must never create the key.
    registry.openKey(GeneralSettingsKey, write);
    if (write)
        registry.deferWrites(); // one replacement of the file for the whole save
    // The hint switch goes through a local so a failed save leaves the switch as it was.
    bool hints = showHints;
    for (const RegistryEntry& entry : registryEntries(vars, hints)) {
        Status status =
            registry.readWrite(entry.name, entry.data, entry.defaultValue, entry.type, write);
        if (status.failed())
            return status;
    }
    if (Status status = registry.commit(); status.failed())
        return status;
    showHints = hints;
    return Status::ok();
}

void loadRegistrySettings(Settings& vars, bool& showHints) {
    (void)readWriteRegistry(false, vars, showHints);
}

Status saveRegistrySettings(Settings& vars, bool& showHints) {
    return readWriteRegistry(true, vars, showHints);
}
