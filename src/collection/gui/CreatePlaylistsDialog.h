#pragma once

#include "settings/Settings.h"

#include <QDialog>
#include <QStringList>

class UserDialogs;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

// Create Playlists: a playlist for every music folder of a tree. Create stores the controls
// into the remembered values and runs over them; CreatedPlayLists gathers the playlists of
// every run since the dialog opened, in the order written.
class CreatePlaylistsDialog : public QDialog {
    Q_OBJECT
public:
    CreatePlaylistsDialog(CreatePlaylistsInputs& values, UserDialogs& dialogs,
                          QWidget* parent = nullptr);

    QLineEdit* edBaseFolder = nullptr;
    QToolButton* btnFolder = nullptr;
    QRadioButton* radInFolders = nullptr;
    QRadioButton* radInPlayLists = nullptr;
    QLineEdit* edPLFolder = nullptr;
    QCheckBox* cbSort = nullptr;
    QCheckBox* cbSubFolders = nullptr;
    QPushButton* btnCreate = nullptr;
    QPushButton* btnCancel = nullptr;

    QList<QByteArray> CreatedPlayLists;

    void btnFolderClick();
    void btnCreateClick();

private:
    void createComponents();
    QWidget* createPanel();
    void storeValues();

    CreatePlaylistsInputs& values_;
    UserDialogs& dialogs_;
};
