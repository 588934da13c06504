#pragma once

#include "settings/Settings.h"

#include <QDialog>

class UserDialogs;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

// The MP3CD wizard: makes a folder the root of a CD that plays itself with its own copy of
// the program. It changes nothing in the listed playlists.
class Mp3CdWizard : public QDialog {
    Q_OBJECT
public:
    Mp3CdWizard(Settings& vars, UserDialogs& dialogs, const QString& programPath,
                QWidget* parent = nullptr);

    QPlainTextEdit* memoInfo = nullptr;
    QLineEdit* edFolder = nullptr;
    QToolButton* btnFolderBrowse = nullptr;
    QLabel* lblNote = nullptr;
    QPushButton* btnCreate = nullptr;
    QPushButton* btnCancel = nullptr;

    void btnFolderBrowseClick();
    void btnCreateClick();

private:
    void createComponents();
    QWidget* createFolderPanel();

    Settings& vars_;
    UserDialogs& dialogs_;
    QString programPath_;
};
