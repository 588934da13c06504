// Auto-play at start-up (and after a hand-off) and the timed close that follows it.
#include "CountdownDialog.h"
#include "playlists/gui/MainWindow.h"
#include "settings/SharedVariables.h"

#include <QListWidget>
#include <QTimer>

void MainWindow::timerAutoPlayOnceTimer() {
    timerAutoPlayOnce->stop();
    show();
    const TVARdlgPreferences& options = context().vars.dlgPreferences;
    if (!options.cbAutoExecute_Checked)
        return;
    if (options.cbAutoExecuteDelay_Checked) {
        const QString message = QLatin1String("Wait to play ") +
                                QString::number(lbPlayLists->count()) + QLatin1String(" playlists");
        if (!RunCountdown(options.spinAutoExecuteDelay_Value, message, this))
            return;
    }
    lbPlayLists->setFocus();
    miSelectAllClick();
    btnExecuteClick(nullptr);
    if (options.cbAutoExecuteHide_Checked)
        hideOrMinimiseAfterAutoPlay();
    if (options.cbAutoExecuteClose_Checked) {
        timerSuicide->setInterval(options.spinAutoExecuteCloseDelay_Value * 1000);
        timerSuicide->start();
    }
}

void MainWindow::hideOrMinimiseAfterAutoPlay() {
    if (context().vars.dlgPreferences.radIcon_ItemIndex == 1)
        hide();
    else
        showMinimized();
}

void MainWindow::timerSuicideTimer() {
    close();
}
