#pragma once

#include <QString>

class UserDialogs;

// Asks the user for a folder, starting at `startFolder`; empty when cancelled. The path ends
// in "/" only for the root.
QString browseForFolder(UserDialogs& dialogs, const QString& title, const QString& startFolder);
