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

// Add Playlists: one playlist file, or every playlist of a folder (and its sub-folders).
// Opens showing the remembered inputs; once accepted, foundPlaylists() holds the paths to add,
// in the order found.
class AddPlaylistsDialog : public QDialog {
    Q_OBJECT
public:
    AddPlaylistsDialog(const AddPlaylistsInputs& remembered, UserDialogs& dialogs,
                       QWidget* parent = nullptr);

    // What the controls hold now.
    AddPlaylistsInputs inputs() const;
    QList<QByteArray> foundPlaylists() const { return found_; }

    // Rows of the file-open dialog.
    static QStringList fileFilters();

protected:
    void showEvent(QShowEvent* event) override;

private Q_SLOTS:
    void enableChosenSource();
    void chooseFile();
    void chooseFolder();
    void addChosenPlaylists();

private:
    void createComponents();
    QWidget* createPanel();
    bool addFile();
    bool addFolder();

    UserDialogs& dialogs_;
    QRadioButton* fileRadio_ = nullptr;
    QLineEdit* fileEdit_ = nullptr;
    QToolButton* fileBrowseButton_ = nullptr;
    QRadioButton* folderRadio_ = nullptr;
    QLineEdit* folderEdit_ = nullptr;
    QToolButton* folderBrowseButton_ = nullptr;
    QCheckBox* subFoldersCheck_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QList<QByteArray> found_;
};
