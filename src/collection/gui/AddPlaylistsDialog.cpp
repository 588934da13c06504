#include "AddPlaylistsDialog.h"
#include "base/PathText.h"

#include "DialogParts.h"
#include "common/gui/WaitWindow.h"
#include "collection/CollectionLog.h"
#include "collection/FolderChooser.h"
#include "collection/FolderListing.h"
#include "collection/PlaylistSeek.h"
#include "common/PathRules.h"
#include "playlists/PlaylistFile.h"
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

AddPlaylistsDialog::AddPlaylistsDialog(const AddPlaylistsInputs& remembered, UserDialogs& dialogs,
                                       QWidget* parent)
    : QDialog(parent), dialogs_(dialogs) {
    setObjectName(QStringLiteral("addPlaylistsDialog"));
    setWindowTitle(QStringLiteral("Add Playlists"));
    createComponents();
    resize(313, 263);
    folderRadio_->setChecked(remembered.fromFolder);
    subFoldersCheck_->setChecked(remembered.withSubFolders);
    fileEdit_->setText(remembered.file);
    folderEdit_->setText(remembered.folder);
}

AddPlaylistsInputs AddPlaylistsDialog::inputs() const {
    AddPlaylistsInputs inputs;
    inputs.fromFolder = folderRadio_->isChecked();
    inputs.withSubFolders = subFoldersCheck_->isChecked();
    inputs.file = fileEdit_->text();
    inputs.folder = folderEdit_->text();
    return inputs;
}

void AddPlaylistsDialog::createComponents() {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(DialogParts::heading(QStringLiteral("Choose playlist(s) to add:"), this));
    layout->addWidget(createPanel(), 1);
    const DialogParts::ButtonRow buttons = DialogParts::confirmAndCancel(
        QStringLiteral("okButton"), QStringLiteral("OK"), QStyle::SP_DialogOkButton, this);
    okButton_ = buttons.confirm;
    layout->addLayout(buttons.layout);
    connect(okButton_, &QPushButton::clicked, this, &AddPlaylistsDialog::addChosenPlaylists);
}

QWidget* AddPlaylistsDialog::createPanel() {
    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    auto* grid = new QGridLayout(panel);
    const QString fileHint = QStringLiteral("Add one playlist file you specify");
    const QString folderHint = QStringLiteral("Add all lists in specified folder");
    fileRadio_ = new QRadioButton(QStringLiteral("Add one playlist file:"), panel);
    fileRadio_->setObjectName(QStringLiteral("fileRadio"));
    fileRadio_->setToolTip(fileHint);
    fileRadio_->setChecked(true);
    fileEdit_ = new QLineEdit(panel);
    fileEdit_->setObjectName(QStringLiteral("fileEdit"));
    fileEdit_->setToolTip(fileHint);
    fileBrowseButton_ = DialogParts::browseButton(QStringLiteral("fileBrowseButton"), panel);
    fileBrowseButton_->setToolTip(QStringLiteral("Pop the file open dialog"));
    fileEdit_->setAccessibleName(QStringLiteral("Playlist file"));
    fileBrowseButton_->setAccessibleName(QStringLiteral("Browse for the playlist file"));
    folderRadio_ = new QRadioButton(QStringLiteral("Add all playlists in folder:"), panel);
    folderRadio_->setObjectName(QStringLiteral("folderRadio"));
    folderRadio_->setToolTip(folderHint);
    folderEdit_ = new QLineEdit(panel);
    folderEdit_->setObjectName(QStringLiteral("folderEdit"));
    folderEdit_->setToolTip(folderHint);
    folderBrowseButton_ = DialogParts::browseButton(QStringLiteral("folderBrowseButton"), panel);
    folderBrowseButton_->setToolTip(QStringLiteral("Pop the browse for folder dialog"));
    folderEdit_->setAccessibleName(QStringLiteral("Playlists folder"));
    folderBrowseButton_->setAccessibleName(QStringLiteral("Browse for the playlists folder"));
    subFoldersCheck_ = new QCheckBox(QStringLiteral("Also scan sub-folders"), panel);
    subFoldersCheck_->setObjectName(QStringLiteral("subFoldersCheck"));
    subFoldersCheck_->setToolTip(QStringLiteral("Add all playlists in sub folders of the specified "
                                                "folder"));
    subFoldersCheck_->setChecked(true);
    grid->addWidget(fileRadio_, 0, 0, 1, 2);
    grid->addWidget(fileEdit_, 1, 0);
    grid->addWidget(fileBrowseButton_, 1, 1);
    grid->addWidget(folderRadio_, 2, 0, 1, 2);
    grid->addWidget(folderEdit_, 3, 0);
    grid->addWidget(folderBrowseButton_, 3, 1);
    grid->addWidget(subFoldersCheck_, 4, 0, 1, 2);
    grid->setRowStretch(5, 1);
    connect(fileRadio_, &QRadioButton::clicked, this, &AddPlaylistsDialog::enableChosenSource);
    connect(folderRadio_, &QRadioButton::clicked, this, &AddPlaylistsDialog::enableChosenSource);
    connect(fileBrowseButton_, &QToolButton::clicked, this, &AddPlaylistsDialog::chooseFile);
    connect(folderBrowseButton_, &QToolButton::clicked, this, &AddPlaylistsDialog::chooseFolder);
    return panel;
}

QStringList AddPlaylistsDialog::fileFilters() {
    // Both letter cases, since file dialogs on Linux may match patterns case-sensitively.
    // The first names every kind read; the M3U/PLS ones keep their old texts.
    return {QStringLiteral("All PlayLists (M3U/PLS/M3U8/XSPF/WPL/ASX) (*.M3U *.m3u *.PLS *.pls "
                           "*.M3U8 *.m3u8 *.XSPF *.xspf *.WPL *.wpl *.ASX *.asx)"),
            QStringLiteral("PlayList files (M3U/PLS) (*.M3U *.m3u *.PLS *.pls)"),
            QStringLiteral("M3U PlayLists (*.M3U *.m3u)"),
            QStringLiteral("PLS PlayLists (*.PLS *.pls)"),
            QStringLiteral("M3U8 PlayLists (*.M3U8 *.m3u8)"),
            QStringLiteral("XSPF PlayLists (*.XSPF *.xspf)"),
            QStringLiteral("Windows Media PlayLists (*.WPL *.wpl *.ASX *.asx)"),
            QStringLiteral("All Files (*)")};
}

void AddPlaylistsDialog::showEvent(QShowEvent* event) {
    enableChosenSource();
    QDialog::showEvent(event);
}

void AddPlaylistsDialog::enableChosenSource() {
    const bool file = fileRadio_->isChecked();
    fileEdit_->setEnabled(file);
    fileBrowseButton_->setEnabled(file);
    folderEdit_->setEnabled(!file);
    folderBrowseButton_->setEnabled(!file);
    subFoldersCheck_->setEnabled(!file);
}

void AddPlaylistsDialog::chooseFile() {
    const std::optional<QString> file =
        dialogs_.chooseFile(QStringLiteral("Open"), fileFilters(), fileEdit_->text());
    if (file)
        fileEdit_->setText(*file);
}

void AddPlaylistsDialog::chooseFolder() {
    const QString folder = browseForFolder(
        dialogs_, QStringLiteral("Select a folder to add playlists from:"), folderEdit_->text());
    if (!folder.isEmpty())
        folderEdit_->setText(folder);
}

void AddPlaylistsDialog::addChosenPlaylists() {
    const bool success = fileRadio_->isChecked() ? addFile() : addFolder();
    if (success) {
        accept();
        return;
    }
    found_.clear();
}

bool AddPlaylistsDialog::addFile() {
    const QString file = fileEdit_->text();
    if (const Status type = checkPlaylistFileType(file); type.failed()) {
        dialogs_.showMessage(type.message());
        return false;
    }
    if (QFileInfo(file).isFile()) {
        // A name typed relative to the working folder means that folder's file, as the file
        // chooser would give it; stored as typed it would later resolve elsewhere.
        found_.append(pathBytes(QFileInfo(file).absoluteFilePath()));
        return true;
    }
    qCWarning(lcCollection) << "adding playlists: no file" << file;
    dialogs_.showMessage(QLatin1String("Playlist file not found:\r") + file);
    return false;
}

bool AddPlaylistsDialog::addFolder() {
    const QString folder = NativePath::withTrailingSeparator(folderEdit_->text());
    folderEdit_->setText(folder);
    if (!folderExists(folder)) {
        qCWarning(lcCollection) << "adding playlists: no folder" << folder;
        dialogs_.showMessage(QLatin1String("Folder not found:\r") + folder);
        return false;
    }
    return findPlaylistsIn(folder, subFoldersCheck_->isChecked(), &WaitWindow::runWalk, found_);
}
