#pragma once

#include "Settings.h"
#include "VarType.h"
#include "base/Status.h"

#include <QLatin1String>
#include <QList>
#include <QVariant>

#include <functional>
#include <variant>

// Where a setting is kept.
enum class SettingsStore {
    UserRegistry,   // HKEY_CURRENT_USER\Software\Varnholt\Platterbox
    InstanceGeneral // section "General" of the instance INI file
};

// What the table's fields live in: the settings record and the application-wide hint switch.
struct SettingsFields {
    Settings& settings;
    bool& showHints;
};

// The field an entry stands for. Enums are stored as their integer values.
using SettingField =
    std::variant<bool*, qint32*, QString*, PlayVerb*, IconPlacement*, ShuffleMode*>;

// One stored setting: its key (the names of older versions, kept exactly), its store, its
// default (whose type, bool, int or QString, is the stored type) and its field.
struct SettingEntry {
    QLatin1String key;
    SettingsStore store;
    QVariant defaultValue;
    SettingField (*field)(SettingsFields& fields);
};

// Every stored setting, each store's entries in the order they are written.
const QList<SettingEntry>& settingsTable();

// A store's typed call for one value: reads into or writes from the value.
using StoreCall =
    std::function<Status(const VariableRef& value, const QVariant& defaultValue, VarType type)>;

// Moves one entry between its field and its store through the store's call; a read that
// fails leaves the field as it was.
Status transferSetting(const SettingEntry& entry, SettingsFields& fields, bool write,
                       const StoreCall& call);

// Sets the entry's field to its default.
void applyDefault(const SettingEntry& entry, SettingsFields& fields);
