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

// Create Playlists: a playlist for every music folder of a tree. Opens showing the remembered
// inputs; Create stores the controls into them before each run and runs over them, so a run
// that fails still leaves them remembered. createdPlaylists() gathers the playlists of every
// run since the dialog opened, in the order written.
class CreatePlaylistsDialog : public QDialog {
    Q_OBJECT
public:
    CreatePlaylistsDialog(CreatePlaylistsInputs& remembered, UserDialogs& dialogs,
                          QWidget* parent = nullptr);

    // What the controls hold now.
    CreatePlaylistsInputs inputs() const;
    QList<QByteArray> createdPlaylists() const { return created_; }

private Q_SLOTS:
    void chooseBaseFolder();
    void createPlaylists();

private:
    void createComponents();
    QWidget* createPanel();

    CreatePlaylistsInputs& remembered_;
    UserDialogs& dialogs_;
    QLineEdit* baseFolderEdit_ = nullptr;
    QToolButton* baseFolderBrowseButton_ = nullptr;
    QRadioButton* inMusicFoldersRadio_ = nullptr;
    QRadioButton* inPlaylistsFolderRadio_ = nullptr;
    QLineEdit* playlistsFolderEdit_ = nullptr;
    QCheckBox* sortCheck_ = nullptr;
    QCheckBox* subFoldersCheck_ = nullptr;
    QPushButton* createButton_ = nullptr;
    QList<QByteArray> created_;
};
