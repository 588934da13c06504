#include "OptionsPart.h"

#include "HintSwitch.h"
#include "PreferencesDialog.h"

#include "common/UserDialogs.h"
#include "playlists/PlaylistListModel.h"
#include "common/gui/WindowServices.h"
#include "common/gui/ProgramContext.h"
#include "settings/InstanceIni.h"
#include "settings/RegistrySettings.h"
#include "settings/Settings.h"
#include "startup/gui/PresencePart.h"

#include <memory>

void OptionsPart::showOptions() {
    ProgramContext& program = window_.context();
    {
        const auto dialog = std::make_unique<PreferencesDialog>(&window_.widget());
        dialog->setPreferences(program.settings.preferences, program.hints.enabled());
        if (dialog->exec() == QDialog::Accepted) {
            program.settings.preferences = dialog->preferences();
            program.hints.setEnabled(dialog->showHints());
            // Both stores, whether or not "Save options on exit" is on.
            saveSettings();
        }
    }
    // Confirmed or not, the icon placement is applied again.
    window_.presence().applyIconPlacement();
}

void OptionsPart::saveSettings() {
    ProgramContext& program = window_.context();
    bool hints = program.hints.enabled();
    if (Status saved = saveRegistrySettings(program.settings, hints); saved.failed())
        program.dialogs.showMessage(saved.message());
    writeInstanceIni(window_.currentIniPath(), program.settings, window_.playlists().paths(),
                     program.dialogs);
}
