#include "CreatePlaylistsDialog.h"

#include "DialogParts.h"
#include "WaitWindow.h"
#include "collection/FileNameCheck.h"
#include "collection/FolderChooser.h"
#include "collection/PlayListCreation.h"
#include "common/UserDialogs.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

CreatePlaylistsDialog::CreatePlaylistsDialog(CreatePlaylistsInputs& values, UserDialogs& dialogs,
                                             QWidget* parent)
    : QDialog(parent), values_(values), dialogs_(dialogs) {
    setObjectName(QStringLiteral("dlgCreatePL"));
    setWindowTitle(QStringLiteral("Create Playlists"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    createComponents();
    resize(354, 288);
    edBaseFolder->setFocus();
}

void CreatePlaylistsDialog::createComponents() {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(DialogParts::heading(QStringLiteral("Select creation parameters:"), this));
    layout->addWidget(createPanel(), 1);
    const DialogParts::ButtonRow buttons = DialogParts::confirmAndCancel(
        QStringLiteral("btnCreate"), QStringLiteral("Create"), QStyle::SP_DialogApplyButton, this);
    btnCreate = buttons.confirm;
    btnCancel = buttons.cancel;
    layout->addLayout(buttons.layout);
    connect(btnCreate, &QPushButton::clicked, this, &CreatePlaylistsDialog::btnCreateClick);
}

QWidget* CreatePlaylistsDialog::createPanel() {
    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(2);
    auto* grid = new QGridLayout(panel);
    const QString baseHint =
        QStringLiteral("Playlists will be created from all music files in specified folder");
    auto* baseLabel = new QLabel(QStringLiteral("Base Folder:"), panel);
    baseLabel->setToolTip(baseHint);
    edBaseFolder = new QLineEdit(panel);
    edBaseFolder->setToolTip(baseHint);
    btnFolder = DialogParts::browseButton(QStringLiteral("btnFolder"), panel);
    radInFolders = new QRadioButton(QStringLiteral("Create playlists in the MP3 folders"), panel);
    radInFolders->setToolTip(
        QStringLiteral("Playlists will be created in the music files folders"));
    radInPlayLists = new QRadioButton(QStringLiteral("Create playlists in <Base Folder>/"), panel);
    radInPlayLists->setToolTip(QStringLiteral("Playlists will be created in a sub-folder "
                                              "specified under the base folder above"));
    radInPlayLists->setChecked(true);
    edPLFolder = new QLineEdit(panel);
    edPLFolder->setToolTip(QStringLiteral("Specify a sub-folder name"));
    edPLFolder->setMaximumWidth(100);
    cbSort = new QCheckBox(QStringLiteral("Sort playlists"), panel);
    cbSort->setToolTip(QStringLiteral("Playlists created will contain sorted files"));
    cbSort->setChecked(true);
    cbSubFolders = new QCheckBox(QStringLiteral("Process sub-folders"), panel);
    cbSubFolders->setToolTip(QStringLiteral("Playlists will be created for media files in all "
                                            "sub-folders  of the specified base folder"));
    cbSubFolders->setChecked(true);
    grid->addWidget(baseLabel, 0, 0, 1, 3);
    grid->addWidget(edBaseFolder, 1, 0, 1, 2);
    grid->addWidget(btnFolder, 1, 2);
    grid->addWidget(radInFolders, 2, 0, 1, 3);
    grid->addWidget(radInPlayLists, 3, 0);
    grid->addWidget(edPLFolder, 3, 1, 1, 2, Qt::AlignLeft);
    grid->addWidget(cbSort, 4, 0, 1, 3);
    grid->addWidget(cbSubFolders, 5, 0, 1, 3);
    grid->setRowStretch(6, 1);
    connect(btnFolder, &QToolButton::clicked, this, &CreatePlaylistsDialog::btnFolderClick);
    return panel;
}

void CreatePlaylistsDialog::btnFolderClick() {
    const QString folder =
        browseForFolder(dialogs_, QStringLiteral("Select a base folder for playlists creation:"),
                        edBaseFolder->text());
    if (!folder.isEmpty())
        edBaseFolder->setText(folder);
}

void CreatePlaylistsDialog::storeValues() {
    values_.inMusicFolders = radInFolders->isChecked();
    values_.baseFolder = edBaseFolder->text();
    values_.playlistsFolder = edPLFolder->text();
    values_.withSubFolders = cbSubFolders->isChecked();
    values_.sorted = cbSort->isChecked();
}

void CreatePlaylistsDialog::btnCreateClick() {
    // A trailing separator ("PL Out/", as a run remembers it) only marks a folder.
    QString folder = edPLFolder->text();
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    if (folder != edPLFolder->text())
        edPLFolder->setText(folder);
    if (!isValidFileName(folder)) {
        dialogs_.showMessage(QStringLiteral("Invalid character(s) used in PlayLists folder!\r"
                                            "A filename cannot contain the following "
                                            "characters:\r\\/:*?<>|"));
        return;
    }
    storeValues();
    const WalkResult run =
        PlayListCreation(values_, dialogs_, &WaitWindow::runWalk).createPlaylists(CreatedPlayLists);
    if (run.error.failed()) {
        dialogs_.showMessage(run.error.message());
        return;
    }
    if (run.completed) {
        dialogs_.showMessage(QStringLiteral("Playlists created successfully."));
        accept();
    }
}
