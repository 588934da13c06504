#pragma once

#include "settings/Settings.h"

#include <QDialog>

class UserDialogs;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

// Copy to Folder: where the selected playlists and their songs go, and how. Opens showing the
// remembered inputs; OK stores what the controls hold into them.
class CopyToFolderDialog : public QDialog {
    Q_OBJECT
public:
    CopyToFolderDialog(CopyToInputs& remembered, UserDialogs& dialogs, QWidget* parent = nullptr);

    CopyToInputs inputs() const;

private Q_SLOTS:
    void chooseFolder();
    void confirm();

private:
    QWidget* createFolderPanel();
    QWidget* createChoicesPanel();

    CopyToInputs& remembered_;
    UserDialogs& dialogs_;
    QLineEdit* folderEdit_ = nullptr;
    QToolButton* folderBrowseButton_ = nullptr;
    QRadioButton* keepFoldersRadio_ = nullptr;
    QRadioButton* folderPerPlaylistRadio_ = nullptr;
    QCheckBox* deviceNamesCheck_ = nullptr;
    QCheckBox* carStereoCheck_ = nullptr;
};
