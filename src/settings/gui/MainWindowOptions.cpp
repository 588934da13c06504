// The Options command of the main window: the Preferences dialog and saving what it confirms.
#include "HintSwitch.h"
#include "PreferencesDialog.h"
#include "playlists/gui/MainWindow.h"
#include "settings/SharedVariables.h"

#include <memory>

void MainWindow::btnOptionsClick() {
    const ProgramContext& program = context();
    {
        const auto dialog = std::make_unique<PreferencesDialog>(this);
        dialog->fill(program.vars.dlgPreferences, program.hints);
        if (dialog->exec() == QDialog::Accepted) {
            dialog->copyBack(program.vars.dlgPreferences, program.hints);
            // Both stores, whether or not "Save options on exit" is on.
            saveSettings();
        }
    }
    // Confirmed or not, the icon placement is applied again.
    ApplyIconPlacement();
}
