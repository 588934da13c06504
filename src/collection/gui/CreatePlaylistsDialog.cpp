#include "CreatePlaylistsDialog.h"

#include "DialogParts.h"
#include "common/gui/WaitWindow.h"
#include "collection/CollectionLog.h"
#include "collection/FileNameCheck.h"
#include "collection/FolderChooser.h"
#include "collection/PlaylistCreation.h"
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

CreatePlaylistsDialog::CreatePlaylistsDialog(CreatePlaylistsInputs& remembered,
                                             UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), remembered_(remembered), dialogs_(dialogs) {
    setObjectName(QStringLiteral("createPlaylistsDialog"));
    setWindowTitle(QStringLiteral("Create Playlists"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    createComponents();
    resize(354, 288);
    baseFolderEdit_->setFocus();
    inMusicFoldersRadio_->setChecked(remembered.inMusicFolders);
    playlistsFolderEdit_->setText(remembered.playlistsFolder);
    baseFolderEdit_->setText(remembered.baseFolder);
    sortCheck_->setChecked(remembered.sorted);
    subFoldersCheck_->setChecked(remembered.withSubFolders);
}

void CreatePlaylistsDialog::createComponents() {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(DialogParts::heading(QStringLiteral("Select creation parameters:"), this));
    layout->addWidget(createPanel(), 1);
    const DialogParts::ButtonRow buttons =
        DialogParts::confirmAndCancel(QStringLiteral("createButton"), QStringLiteral("Create"),
                                      QStyle::SP_DialogApplyButton, this);
    createButton_ = buttons.confirm;
    layout->addLayout(buttons.layout);
    connect(createButton_, &QPushButton::clicked, this, &CreatePlaylistsDialog::createPlaylists);
}

QWidget* CreatePlaylistsDialog::createPanel() {
    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(2);
    auto* grid = new QGridLayout(panel);
    const QString baseHint =
        QStringLiteral("Playlists will be created from all music files in specified folder");
    auto* baseLabel = new QLabel(QStringLiteral("Base Folder:"), panel);
    baseLabel->setObjectName(QStringLiteral("baseFolderLabel"));
    baseLabel->setToolTip(baseHint);
    baseFolderEdit_ = new QLineEdit(panel);
    baseFolderEdit_->setObjectName(QStringLiteral("baseFolderEdit"));
    baseFolderEdit_->setToolTip(baseHint);
    baseFolderBrowseButton_ =
        DialogParts::browseButton(QStringLiteral("baseFolderBrowseButton"), panel);
    baseLabel->setBuddy(baseFolderEdit_);
    baseFolderBrowseButton_->setAccessibleName(QStringLiteral("Browse for the base folder"));
    inMusicFoldersRadio_ =
        new QRadioButton(QStringLiteral("Create playlists in the MP3 folders"), panel);
    inMusicFoldersRadio_->setObjectName(QStringLiteral("inMusicFoldersRadio"));
    inMusicFoldersRadio_->setToolTip(
        QStringLiteral("Playlists will be created in the music files folders"));
    inPlaylistsFolderRadio_ =
        new QRadioButton(QStringLiteral("Create playlists in <Base Folder>/"), panel);
    inPlaylistsFolderRadio_->setObjectName(QStringLiteral("inPlaylistsFolderRadio"));
    inPlaylistsFolderRadio_->setToolTip(QStringLiteral("Playlists will be created in a sub-folder "
                                                       "specified under the base folder above"));
    inPlaylistsFolderRadio_->setChecked(true);
    playlistsFolderEdit_ = new QLineEdit(panel);
    playlistsFolderEdit_->setObjectName(QStringLiteral("playlistsFolderEdit"));
    playlistsFolderEdit_->setToolTip(QStringLiteral("Specify a sub-folder name"));
    playlistsFolderEdit_->setMaximumWidth(100);
    playlistsFolderEdit_->setAccessibleName(QStringLiteral("Playlists sub-folder"));
    sortCheck_ = new QCheckBox(QStringLiteral("Sort playlists"), panel);
    sortCheck_->setObjectName(QStringLiteral("sortCheck"));
    sortCheck_->setToolTip(QStringLiteral("Playlists created will contain sorted files"));
    sortCheck_->setChecked(true);
    subFoldersCheck_ = new QCheckBox(QStringLiteral("Process sub-folders"), panel);
    subFoldersCheck_->setObjectName(QStringLiteral("subFoldersCheck"));
    subFoldersCheck_->setToolTip(QStringLiteral("Playlists will be created for media files in all "
                                                "sub-folders  of the specified base folder"));
    subFoldersCheck_->setChecked(true);
    grid->addWidget(baseLabel, 0, 0, 1, 3);
    grid->addWidget(baseFolderEdit_, 1, 0, 1, 2);
    grid->addWidget(baseFolderBrowseButton_, 1, 2);
    grid->addWidget(inMusicFoldersRadio_, 2, 0, 1, 3);
    grid->addWidget(inPlaylistsFolderRadio_, 3, 0);
    grid->addWidget(playlistsFolderEdit_, 3, 1, 1, 2, Qt::AlignLeft);
    grid->addWidget(sortCheck_, 4, 0, 1, 3);
    grid->addWidget(subFoldersCheck_, 5, 0, 1, 3);
    grid->setRowStretch(6, 1);
    connect(baseFolderBrowseButton_, &QToolButton::clicked, this,
            &CreatePlaylistsDialog::chooseBaseFolder);
    return panel;
}

void CreatePlaylistsDialog::chooseBaseFolder() {
    const QString folder =
        browseForFolder(dialogs_, QStringLiteral("Select a base folder for playlists creation:"),
                        baseFolderEdit_->text());
    if (!folder.isEmpty())
        baseFolderEdit_->setText(folder);
}

CreatePlaylistsInputs CreatePlaylistsDialog::inputs() const {
    CreatePlaylistsInputs inputs;
    inputs.inMusicFolders = inMusicFoldersRadio_->isChecked();
    inputs.baseFolder = baseFolderEdit_->text();
    inputs.playlistsFolder = playlistsFolderEdit_->text();
    inputs.withSubFolders = subFoldersCheck_->isChecked();
    inputs.sorted = sortCheck_->isChecked();
    return inputs;
}

void CreatePlaylistsDialog::createPlaylists() {
    // A trailing separator ("PL Out/", as a run remembers it) only marks a folder.
    QString folder = playlistsFolderEdit_->text();
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    if (folder != playlistsFolderEdit_->text())
        playlistsFolderEdit_->setText(folder);
    if (!isValidFileName(folder)) {
        qCWarning(lcCollection) << "creating playlists: not a folder name:" << folder;
        dialogs_.showMessage(QStringLiteral("Invalid character(s) used in PlayLists folder!\r"
                                            "A filename cannot contain the following "
                                            "characters:\r\\/:*?<>|"));
        return;
    }
    // The run completes the remembered folders with their trailing separators.
    remembered_ = inputs();
    const WalkResult run =
        PlaylistCreation(remembered_, dialogs_, &WaitWindow::runWalk).createPlaylists(created_);
    if (run.error.failed()) {
        dialogs_.showMessage(run.error.message());
        return;
    }
    if (run.completed) {
        dialogs_.showMessage(QStringLiteral("Playlists created successfully."));
        accept();
    }
}
