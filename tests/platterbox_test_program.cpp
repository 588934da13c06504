#include "ScriptFileDialogs.h"
#include "shell/StartupSequence.h"

// The program as end-to-end tests start it: the same start-up, with its questions answered
// from the script file that PLATTERBOX_TEST_DIALOGS names, when it names one. The shipped
// program has neither the scripted seam nor the variable.
int main(int argc, char* argv[]) {
    return runPlatterbox(argc, argv, []() -> std::unique_ptr<UserDialogs> {
        const QString script = qEnvironmentVariable(ScriptFileDialogs::EnvironmentVariable);
        if (script.isEmpty())
            return nullptr;
        return std::make_unique<ScriptFileDialogs>(script);
    });
}
