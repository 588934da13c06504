#include "RegistrySettings.h"

#include "SettingsTable.h"
#include "TypedRegistry.h"

Status readWriteRegistry(bool write, Settings& settings, bool& showHints) {
    TypedRegistry registry;
    registry.setRootKey(RegistryRoot::CurrentUser);
    // Loading must never create the key.
    registry.openKey(GeneralSettingsKey, write);
    if (write)
        registry.deferWrites(); // one replacement of the file for the whole save
    // The hint switch goes through a local so a failed save leaves the switch as it was.
    bool hints = showHints;
    SettingsFields fields{settings, hints};
    for (const SettingEntry& entry : settingsTable()) {
        if (entry.store != SettingsStore::UserRegistry)
            continue;
        const Status status = transferSetting(
            entry, fields, write,
            [&](const VariableRef& value, const QVariant& defaultValue, VarType type) {
                return registry.readWrite(entry.key, value, defaultValue, type, write);
            });
        if (status.failed())
            return status;
    }
    if (Status status = registry.commit(); status.failed())
        return status;
    showHints = hints;
    return Status::ok();
}

void loadRegistrySettings(Settings& settings, bool& showHints) {
    (void)readWriteRegistry(false, settings, showHints);
}

Status saveRegistrySettings(Settings& settings, bool& showHints) {
    return readWriteRegistry(true, settings, showHints);
}
