#pragma once

#include "common/ScriptedDialogs.h"
#include "playlists/PlayingModule.h"
#include "playlists/gui/MainWindow.h"
#include "settings/SharedVariables.h"
#include "settings/gui/HintSwitch.h"

#include <QListWidget>
#include <memory>

// Everything a main window needs, with scripted dialogs and the real shell; the window is
// created (FormCreate runs) by create().
struct MainWindowFixture {
    TSharedVariables vars;
    ScriptedDialogs dialogs;
    HintSwitch hints;
    std::unique_ptr<PlayingModule> playing;
    std::unique_ptr<MainWindow> window;

    explicit MainWindowFixture(const QString& temporaryPlayList);
    MainWindow& create(const QString& programPath, const QStringList& parameters = {});

    QStringList playListNames() const;
    QStringList songTexts() const;
    // Sets the focused (current) playlist like a click does, and runs the click handler.
    void clickPlayList(int row);
    // Centre of an item of a list, in viewport coordinates.
    static QPoint itemCentre(QListWidget* list, int row);
};
