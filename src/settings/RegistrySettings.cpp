#include "RegistrySettings.h"

#include "TEnhRegistry.h"

namespace {

struct RegistryEntry {
    QLatin1String name;
    VarRef data;
    QVariant defaultValue;
    VarType type;
};

QList<RegistryEntry> registryEntries(TSharedVariables& v, bool& showHints) {
    TVARdlgPreferences& p = v.dlgPreferences;
    return {
        {QLatin1String("frmMain_Top"), &v.frmMain_Top, 100, VarType::Integer},
        {QLatin1String("frmMain_Left"), &v.frmMain_Left, 100, VarType::Integer},
        {QLatin1String("frmMain_Width"), &v.frmMain_Width, 505, VarType::Integer},
        {QLatin1String("frmMain_Height"), &v.frmMain_Height, 385, VarType::Integer},
        {QLatin1String("frmMain_lbPlayLists_Height"), &v.frmMain_lbPlayLists_Height, 30,
         VarType::Integer},
        {QLatin1String("dlgPreferences_radCommand_ItemIndex"), &p.radCommand_ItemIndex, 0,
         VarType::Integer},
        {QLatin1String("dlgPreferences_radIcon_ItemIndex"), &p.radIcon_ItemIndex, 0,
         VarType::Integer},
        // The stored name of the custom command really begins with dlgCreatePL.
        {QLatin1String("dlgCreatePL_edCommand_Text"), &p.edCommand_Text, QString(),
         VarType::String},
        {QLatin1String("dlgPreferences_cbSaveIni_Checked"), &p.cbSaveIni_Checked, true,
         VarType::Bool},
        {QLatin1String("dlgPreferences_cbShowHints_Checked"), &showHints, true, VarType::Bool},
        {QLatin1String("dlgPreferences_cbIgnoreInstances_Checked"), &p.cbIgnoreInstances_Checked,
         false, VarType::Bool},
        {QLatin1String("dlgAddPL_radFolder_Checked"), &v.dlgAddPL.radFolder_Checked, false,
         VarType::Bool},
        {QLatin1String("dlgAddPL_cbSubFolders_Checked"), &v.dlgAddPL.cbSubFolders_Checked, false,
         VarType::Bool},
        {QLatin1String("dlgAddPL_edFile_Text"), &v.dlgAddPL.edFile_Text, QString(),
         VarType::String},
        {QLatin1String("dlgAddPL_edFolder_Text"), &v.dlgAddPL.edFolder_Text, QString(),
         VarType::String},
        {QLatin1String("dlgCreatePL_radInFolders_Checked"), &v.dlgCreatePL.radInFolders_Checked,
         true, VarType::Bool},
        {QLatin1String("dlgCreatePL_cbSort_Checked"), &v.dlgCreatePL.cbSort_Checked, true,
         VarType::Bool},
        {QLatin1String("dlgCreatePL_cbSubFolders_Checked"), &v.dlgCreatePL.cbSubFolders_Checked,
         true, VarType::Bool},
        {QLatin1String("dlgCreatePL_edBaseFolder_Text"), &v.dlgCreatePL.edBaseFolder_Text,
         QString(), VarType::String},
        {QLatin1String("dlgCreatePL_edPLFolder_Text"), &v.dlgCreatePL.edPLFolder_Text, QString(),
         VarType::String},
        {QLatin1String("dlgAutoCD_edFolder_Text"), &v.dlgAutoCD.edFolder_Text, QString(),
         VarType::String},
    };
}

} // namespace

Status ReadWriteRegistry(bool write, TSharedVariables& vars, bool& showHints) {
    TEnhRegistry registry;
    registry.setRootKey(RegistryRoot::CurrentUser);
    // Loading must never create the key.
    registry.openKey(GeneralSettingsKey, write);
    if (write)
        registry.deferWrites(); // one replacement of the file for the whole save
    // The hint switch goes through a local so a failed save leaves the switch as it was.
    bool hints = showHints;
    for (const RegistryEntry& entry : registryEntries(vars, hints)) {
        Status status =
            registry.ReadWriteSth(entry.name, entry.data, entry.defaultValue, entry.type, write);
        if (status.failed())
            return status;
    }
    if (Status status = registry.commit(); status.failed())
        return status;
    showHints = hints;
    return Status::ok();
}

void LoadRegistrySettings(TSharedVariables& vars, bool& showHints) {
    (void)ReadWriteRegistry(false, vars, showHints);
}

Status SaveRegistrySettings(TSharedVariables& vars, bool& showHints) {
    return ReadWriteRegistry(true, vars, showHints);
}
