#pragma once

#include <QDialog>
#include <QStringList>

class UserDialogs;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

// Add Playlists: one playlist file, or every playlist of a folder (and its sub-folders).
// On OK, FoundPlayLists holds the paths to add, in the order found.
class AddPlaylistsDialog : public QDialog {
    Q_OBJECT
public:
    explicit AddPlaylistsDialog(UserDialogs& dialogs, QWidget* parent = nullptr);

    QRadioButton* radFile = nullptr;
    QLineEdit* edFile = nullptr;
    QToolButton* btnFileBrowse = nullptr;
    QRadioButton* radFolder = nullptr;
    QLineEdit* edFolder = nullptr;
    QToolButton* btnFolderBrowse = nullptr;
    QCheckBox* cbSubFolders = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

    QList<QByteArray> FoundPlayLists;

    // Rows of the file-open dialog dlgAddM3UFile.
    static QStringList fileFilters();

    void radClick();
    void btnFileBrowseClick();
    void btnFolderBrowseClick();
    void btnOKClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createComponents();
    QWidget* createPanel();
    bool addFile();
    bool addFolder();

    UserDialogs& dialogs_;
};
