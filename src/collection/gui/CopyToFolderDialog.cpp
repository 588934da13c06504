#include "CopyToFolderDialog.h"

#include "DialogParts.h"
#include "collection/FolderChooser.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

CopyToFolderDialog::CopyToFolderDialog(CopyToInputs& remembered, UserDialogs& dialogs,
                                       QWidget* parent)
    : QDialog(parent), remembered_(remembered), dialogs_(dialogs) {
    setObjectName(QStringLiteral("copyToFolderDialog"));
    setWindowTitle(QStringLiteral("Copy to Folder"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(DialogParts::heading(
        QStringLiteral("Copy the selected playlists and their songs to:"), this));
    layout->addWidget(createFolderPanel());
    layout->addWidget(createChoicesPanel(), 1);
    const DialogParts::ButtonRow buttons = DialogParts::confirmAndCancel(
        QStringLiteral("okButton"), QStringLiteral("OK"), QStyle::SP_DialogOkButton, this);
    layout->addLayout(buttons.layout);
    connect(buttons.confirm, &QPushButton::clicked, this, &CopyToFolderDialog::confirm);

    folderEdit_->setText(remembered.folder);
    (remembered.layout == qint32(1) ? folderPerPlaylistRadio_ : keepFoldersRadio_)
        ->setChecked(true);
    deviceNamesCheck_->setChecked(remembered.deviceNames);
    carStereoCheck_->setChecked(remembered.carStereoM3u);
    folderEdit_->setFocus();
    resize(420, 300);
}

CopyToInputs CopyToFolderDialog::inputs() const {
    CopyToInputs inputs;
    inputs.folder = folderEdit_->text();
    inputs.layout = folderPerPlaylistRadio_->isChecked() ? 1 : 0;
    inputs.deviceNames = deviceNamesCheck_->isChecked();
    inputs.carStereoM3u = carStereoCheck_->isChecked();
    return inputs;
}

QWidget* CopyToFolderDialog::createFolderPanel() {
    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    auto* layout = new QVBoxLayout(panel);
    auto* label = new QLabel(QStringLiteral("&Folder (a USB stick, an SD card, a phone):"), panel);
    label->setObjectName(QStringLiteral("folderLabel"));
    auto* row = new QHBoxLayout;
    folderEdit_ = new QLineEdit(panel);
    folderEdit_->setObjectName(QStringLiteral("folderEdit"));
    label->setBuddy(folderEdit_);
    folderBrowseButton_ = DialogParts::browseButton(QStringLiteral("folderBrowseButton"), panel);
    folderBrowseButton_->setAccessibleName(QStringLiteral("Browse for the folder to copy to"));
    row->addWidget(folderEdit_);
    row->addWidget(folderBrowseButton_);
    layout->addWidget(label);
    layout->addLayout(row);
    connect(folderBrowseButton_, &QToolButton::clicked, this, &CopyToFolderDialog::chooseFolder);
    return panel;
}

QWidget* CopyToFolderDialog::createChoicesPanel() {
    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* layout = new QVBoxLayout(panel);
    auto* group = new QGroupBox(QStringLiteral("Layout of the songs on the device"), panel);
    auto* groupLayout = new QVBoxLayout(group);
    keepFoldersRadio_ = new QRadioButton(QStringLiteral("&Keep the folders"), group);
    keepFoldersRadio_->setObjectName(QStringLiteral("keepFoldersRadio"));
    keepFoldersRadio_->setToolTip(QStringLiteral(
        "Each song under its folders below the deepest folder all selected songs share"));
    folderPerPlaylistRadio_ = new QRadioButton(QStringLiteral("&One folder per playlist"), group);
    folderPerPlaylistRadio_->setObjectName(QStringLiteral("folderPerPlaylistRadio"));
    folderPerPlaylistRadio_->setToolTip(QStringLiteral(
        "The songs of each playlist in a folder named after it, numbered in playlist order"));
    groupLayout->addWidget(keepFoldersRadio_);
    groupLayout->addWidget(folderPerPlaylistRadio_);
    layout->addWidget(group);
    deviceNamesCheck_ = new QCheckBox(QStringLiteral("&Names any device can hold"), panel);
    deviceNamesCheck_->setObjectName(QStringLiteral("deviceNamesCheck"));
    deviceNamesCheck_->setToolTip(QStringLiteral(
        "File and folder names valid on FAT32 and exFAT; names differing only in case made "
        "distinct"));
    carStereoCheck_ = new QCheckBox(
        QStringLiteral("Playlists as &M3U for car stereos (\\ between folders, CR LF)"), panel);
    carStereoCheck_->setObjectName(QStringLiteral("carStereoCheck"));
    layout->addWidget(deviceNamesCheck_);
    layout->addWidget(carStereoCheck_);
    layout->addStretch();
    return panel;
}

void CopyToFolderDialog::chooseFolder() {
    const QString folder = browseForFolder(
        dialogs_, QStringLiteral("Select the folder to copy to:"), folderEdit_->text());
    if (!folder.isEmpty())
        folderEdit_->setText(folder);
}

void CopyToFolderDialog::confirm() {
    remembered_ = inputs();
    accept();
}
