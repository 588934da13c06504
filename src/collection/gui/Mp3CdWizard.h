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
// the program. It changes nothing in the listed playlists. Opens showing the remembered
// folder; inputs() gives what the controls hold.
class Mp3CdWizard : public QDialog {
    Q_OBJECT
public:
    Mp3CdWizard(Settings& settings, UserDialogs& dialogs, const QString& programPath,
                QWidget* parent = nullptr);

    Mp3CdInputs inputs() const;

private Q_SLOTS:
    void chooseFolder();
    void buildCd();

private:
    void createComponents();
    QWidget* createFolderPanel();

    Settings& settings_;
    UserDialogs& dialogs_;
    QString programPath_;
    QPlainTextEdit* infoText_ = nullptr;
    QLineEdit* folderEdit_ = nullptr;
    QToolButton* folderBrowseButton_ = nullptr;
    QLabel* noteLabel_ = nullptr;
    QPushButton* createButton_ = nullptr;
};
