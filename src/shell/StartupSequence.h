#pragma once

#include <functional>
#include <memory>

class UserDialogs;

// Makes the seam that answers the program's questions in place of the real dialogs, or
// returns none; called once the application object exists.
using DialogsFactory = std::function<std::unique_ptr<UserDialogs>()>;

// The program's start-up sequence, from the command line to the end of the message loop.
// Returns the process exit code. Without `answering` the user answers through Qt's dialogs.
int runPlatterbox(int argc, char* argv[], const DialogsFactory& answering = {});
