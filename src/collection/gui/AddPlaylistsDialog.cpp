#include "AddPlaylistsDialog.h"

#include "DialogParts.h"
#include "WaitWindow.h"
#include "collection/FolderChooser.h"
#include "collection/FolderListing.h"
#include "collection/PlayListSeek.h"
#include "common/PathRules.h"
#include "playlists/PlayListFile.h"
#include "common/UserDialogs.h"

#include <QCheckBox>
#include <QFile>
#include <QBoxLayout>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

AddPlaylistsDialog::AddPlaylistsDialog(UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs) {
    setObjectName(QStringLiteral("dlgAddPL"));
    setWindowTitle(QStringLiteral("Add Playlists"));
    createComponents();
    resize(313, 263);
}

void AddPlaylistsDialog::createComponents() {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(DialogParts::heading(QStringLiteral("Choose playlist(s) to add:"), this));
    layout->addWidget(createPanel(), 1);
    const DialogParts::ButtonRow buttons = DialogParts::confirmAndCancel(
        QStringLiteral("btnOK"), QStringLiteral("OK"), QStyle::SP_DialogOkButton, this);
    btnOK = buttons.confirm;
    btnCancel = buttons.cancel;
    layout->addLayout(buttons.layout);
    connect(btnOK, &QPushButton::clicked, this, &AddPlaylistsDialog::btnOKClick);
}

QWidget* AddPlaylistsDialog::createPanel() {
    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    auto* grid = new QGridLayout(panel);
    const QString fileHint = QStringLiteral("Add one playlist file you specify");
    const QString folderHint = QStringLiteral("Add all lists in specified folder");
    radFile = new QRadioButton(QStringLiteral("Add one playlist file:"), panel);
    radFile->setToolTip(fileHint);
    radFile->setChecked(true);
    edFile = new QLineEdit(panel);
    edFile->setToolTip(fileHint);
    btnFileBrowse = DialogParts::browseButton(QStringLiteral("btnFileBrowse"), panel);
    btnFileBrowse->setToolTip(QStringLiteral("Pop the file open dialog"));
    radFolder = new QRadioButton(QStringLiteral("Add all playlists in folder:"), panel);
    radFolder->setToolTip(folderHint);
    edFolder = new QLineEdit(panel);
    edFolder->setToolTip(folderHint);
    btnFolderBrowse = DialogParts::browseButton(QStringLiteral("btnFolderBrowse"), panel);
    btnFolderBrowse->setToolTip(QStringLiteral("Pop the browse for folder dialog"));
    cbSubFolders = new QCheckBox(QStringLiteral("Also scan sub-folders"), panel);
    cbSubFolders->setToolTip(QStringLiteral("Add all playlists in sub folders of the specified "
                                            "folder"));
    cbSubFolders->setChecked(true);
    grid->addWidget(radFile, 0, 0, 1, 2);
    grid->addWidget(edFile, 1, 0);
    grid->addWidget(btnFileBrowse, 1, 1);
    grid->addWidget(radFolder, 2, 0, 1, 2);
    grid->addWidget(edFolder, 3, 0);
    grid->addWidget(btnFolderBrowse, 3, 1);
    grid->addWidget(cbSubFolders, 4, 0, 1, 2);
    grid->setRowStretch(5, 1);
    connect(radFile, &QRadioButton::clicked, this, &AddPlaylistsDialog::radClick);
    connect(radFolder, &QRadioButton::clicked, this, &AddPlaylistsDialog::radClick);
    connect(btnFileBrowse, &QToolButton::clicked, this, &AddPlaylistsDialog::btnFileBrowseClick);
    connect(btnFolderBrowse, &QToolButton::clicked, this,
            &AddPlaylistsDialog::btnFolderBrowseClick);
    return panel;
}

QStringList AddPlaylistsDialog::fileFilters() {
    // Both letter cases, since file dialogs on Linux may match patterns case-sensitively.
    return {QStringLiteral("PlayList files (M3U/PLS) (*.M3U *.m3u *.PLS *.pls)"),
            QStringLiteral("M3U PlayLists (*.M3U *.m3u)"),
            QStringLiteral("PLS PlayLists (*.PLS *.pls)"), QStringLiteral("All Files (*)")};
}

void AddPlaylistsDialog::showEvent(QShowEvent* event) {
    radClick(); // FormShow
    QDialog::showEvent(event);
}

void AddPlaylistsDialog::radClick() {
    const bool file = radFile->isChecked();
    edFile->setEnabled(file);
    btnFileBrowse->setEnabled(file);
    edFolder->setEnabled(!file);
    btnFolderBrowse->setEnabled(!file);
    cbSubFolders->setEnabled(!file);
}

void AddPlaylistsDialog::btnFileBrowseClick() {
    const std::optional<QString> file =
        dialogs_.chooseFile(QStringLiteral("Open"), fileFilters(), edFile->text());
    if (file)
        edFile->setText(*file);
}

void AddPlaylistsDialog::btnFolderBrowseClick() {
    const QString folder = browseForFolder(
        dialogs_, QStringLiteral("Select a folder to add playlists from:"), edFolder->text());
    if (!folder.isEmpty())
        edFolder->setText(folder);
}

void AddPlaylistsDialog::btnOKClick() {
    const bool success = radFile->isChecked() ? addFile() : addFolder();
    if (success) {
        accept();
        return;
    }
    FoundPlayLists.clear();
}

bool AddPlaylistsDialog::addFile() {
    const QString file = edFile->text();
    if (const Status type = checkPlaylistFileType(file); type.failed()) {
        dialogs_.showMessage(type.message());
        return false;
    }
    if (QFileInfo(file).isFile()) {
        // A name typed relative to the working folder means that folder's file, as the file
        // chooser would give it; stored as typed it would later resolve elsewhere.
        FoundPlayLists.append(QFile::encodeName(QFileInfo(file).absoluteFilePath()));
        return true;
    }
    dialogs_.showMessage(QLatin1String("Playlist file not found:\r") + file);
    return false;
}

bool AddPlaylistsDialog::addFolder() {
    const QString folder = NativePath::withTrailingSeparator(edFolder->text());
    edFolder->setText(folder);
    if (!folderExists(folder)) {
        dialogs_.showMessage(QLatin1String("Folder not found:\r") + folder);
        return false;
    }
    return findPlaylistsIn(folder, cbSubFolders->isChecked(), &WaitWindow::runWalk, FoundPlayLists);
}
