#include "FolderChooser.h"

#include "common/UserDialogs.h"

QString browseForFolder(UserDialogs& dialogs, const QString& title, const QString& startFolder) {
    return dialogs.chooseFolder(title, startFolder).value_or(QString());
}
