#pragma once

#include <QString>
#include <QStringList>

struct Settings;
class UserDialogs;
class HintSwitch;
class PlayingModule;

// What the program's windows share: the settings record, the seam for dialogs, the hint
// switch, the playing module, and the command line.
struct ProgramContext {
    Settings& settings;
    UserDialogs& dialogs;
    HintSwitch& hints;
    PlayingModule& playing;
    QString programPath;    // parameter 0
    QStringList parameters; // parameters 1, 2, ...

    QString parameter(int index) const {
        return index == 0 ? programPath : parameters.value(index - 1);
    }
};
