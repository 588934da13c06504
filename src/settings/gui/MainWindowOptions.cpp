// The Options command of the main window: the Preferences dialog and saving what it confirms.
#include "HintSwitch.h"
#include "TdlgPreferences.h"
#include "common/UserDialogs.h"
#include "playlists/gui/MainWindow.h"
#include "settings/InstanceIni.h"
#include "settings/RegistrySettings.h"
#include "settings/SharedVariables.h"

#include <memory>

namespace {

// Both stores are written on every OK, whether or not "Save options on exit" is on. A refused
// registry write is reported and the INI file is still saved; the new values stay in force.
void saveOptions(const ProgramContext& context, const QString& iniPath) {
    bool hints = context.hints.enabled();
    if (Status saved = SaveRegistrySettings(context.vars, hints); saved.failed())
        context.dialogs.showMessage(saved.message());
    SaveIniFile(iniPath, context.vars, context.dialogs);
}

} // namespace

void TfrmPlatterboxMain::btnOptionsClick() {
    const ProgramContext& program = context();
    {
        const auto dialog = std::make_unique<TdlgPreferences>(this);
        dialog->fill(program.vars.dlgPreferences, program.hints);
        if (dialog->exec() == QDialog::Accepted) {
            dialog->copyBack(program.vars.dlgPreferences, program.hints);
            saveOptions(program, currentIniPath());
        }
    }
    // Confirmed or not, the icon placement is applied again.
    ApplyIconPlacement();
}
