#include "Mp3CdWizard.h"

#include "DialogParts.h"
#include "common/gui/WaitWindow.h"
#include "collection/FolderChooser.h"
#include "collection/Mp3CdBuilder.h"
#include "common/PathRules.h"
#include "common/UserDialogs.h"

#include <QBoxLayout>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

namespace {
// Six lines that read as one paragraph, so they wrap to the dialog's width.
const QString InfoText =
    QStringLiteral("The MP3CD Wizard enables you to easily create CDs which "
                   "contain your favorite MP3s and include the Platterbox software "
                   "with your preferences on them. All you need to to is to specify the "
                   "folder which will be the root folder of the CD you will create and "
                   "this wizard will create all the structures needed for you to enjoy your "
                   "MP3CD.");
} // namespace

Mp3CdWizard::Mp3CdWizard(Settings& settings, UserDialogs& dialogs, const QString& programPath,
                         QWidget* parent)
    : QDialog(parent), settings_(settings), dialogs_(dialogs), programPath_(programPath) {
    setObjectName(QStringLiteral("mp3CdWizard"));
    setWindowTitle(QStringLiteral("Prepare MP3CD Wizard"));
    createComponents();
    resize(336, 256);
    folderEdit_->setText(settings.mp3Cd.folder);
    folderEdit_->setFocus();
}

Mp3CdInputs Mp3CdWizard::inputs() const {
    Mp3CdInputs inputs;
    inputs.folder = folderEdit_->text();
    return inputs;
}

void Mp3CdWizard::createComponents() {
    auto* layout = new QVBoxLayout(this);
    infoText_ = new QPlainTextEdit(InfoText, this);
    infoText_->setObjectName(QStringLiteral("infoText"));
    infoText_->setReadOnly(true);
    // Read only, yet a keyboard user can still move through it and a screen reader reads it.
    infoText_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    infoText_->setAccessibleName(QStringLiteral("About the MP3CD Wizard"));
    infoText_->setFrameStyle(QFrame::NoFrame);
    infoText_->setBackgroundRole(QPalette::Window);
    infoText_->viewport()->setAutoFillBackground(false);
    infoText_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    infoText_->setMinimumHeight(infoText_->fontMetrics().lineSpacing() * 6);
    layout->addWidget(infoText_, 1);
    layout->addWidget(createFolderPanel());
    noteLabel_ = new QLabel(
        QStringLiteral("Note: specific instance options ( see Options menu ) will be used for "
                       "your MP3CD."),
        this);
    noteLabel_->setObjectName(QStringLiteral("noteLabel"));
    QFont bold = noteLabel_->font();
    bold.setBold(true);
    noteLabel_->setFont(bold);
    noteLabel_->setWordWrap(true);
    layout->addWidget(noteLabel_);
    const DialogParts::ButtonRow buttons =
        DialogParts::confirmAndCancel(QStringLiteral("createButton"), QStringLiteral("Create"),
                                      QStyle::SP_DialogApplyButton, this);
    createButton_ = buttons.confirm;
    layout->addLayout(buttons.layout);
    connect(createButton_, &QPushButton::clicked, this, &Mp3CdWizard::buildCd);
}

QWidget* Mp3CdWizard::createFolderPanel() {
    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    auto* layout = new QVBoxLayout(panel);
    auto* folderLabel = new QLabel(
        QStringLiteral("Select the folder which will be the base folder of your MP3CD:"), panel);
    folderLabel->setObjectName(QStringLiteral("folderLabel"));
    layout->addWidget(folderLabel);
    auto* row = new QHBoxLayout;
    folderEdit_ = new QLineEdit(panel);
    folderEdit_->setObjectName(QStringLiteral("folderEdit"));
    folderBrowseButton_ = DialogParts::browseButton(QStringLiteral("folderBrowseButton"), panel);
    folderLabel->setBuddy(folderEdit_);
    folderBrowseButton_->setAccessibleName(QStringLiteral("Browse for the MP3CD base folder"));
    row->addWidget(folderEdit_);
    row->addWidget(folderBrowseButton_);
    layout->addLayout(row);
    connect(folderBrowseButton_, &QToolButton::clicked, this, &Mp3CdWizard::chooseFolder);
    return panel;
}

void Mp3CdWizard::chooseFolder() {
    const QString folder = browseForFolder(
        dialogs_, QStringLiteral("Select the base folder for your MP3CD:"), folderEdit_->text());
    if (!folder.isEmpty())
        folderEdit_->setText(folder);
}

void Mp3CdWizard::buildCd() {
    const QString base = NativePath::withTrailingSeparator(folderEdit_->text());
    folderEdit_->setText(base);
    const Status built =
        buildMp3Cd({base, programPath_, settings_, dialogs_, &WaitWindow::runWalk});
    if (built.failed()) {
        dialogs_.showError(built.message());
        return;
    }
    dialogs_.showMessage(QStringLiteral("Structures created fine, go and burn your CD!"));
    accept();
}
