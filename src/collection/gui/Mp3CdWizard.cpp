#include "Mp3CdWizard.h"

#include "DialogParts.h"
#include "WaitWindow.h"
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

Mp3CdWizard::Mp3CdWizard(Settings& vars, UserDialogs& dialogs, const QString& programPath,
                         QWidget* parent)
    : QDialog(parent), vars_(vars), dialogs_(dialogs), programPath_(programPath) {
    setObjectName(QStringLiteral("dlgAutoCD"));
    setWindowTitle(QStringLiteral("Prepare MP3CD Wizard"));
    createComponents();
    resize(336, 256);
}

void Mp3CdWizard::createComponents() {
    auto* layout = new QVBoxLayout(this);
    memoInfo = new QPlainTextEdit(InfoText, this);
    memoInfo->setObjectName(QStringLiteral("memoInfo"));
    memoInfo->setReadOnly(true);
    memoInfo->setFrameStyle(QFrame::NoFrame);
    memoInfo->setBackgroundRole(QPalette::Window);
    memoInfo->viewport()->setAutoFillBackground(false);
    memoInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    memoInfo->setMinimumHeight(memoInfo->fontMetrics().lineSpacing() * 6);
    layout->addWidget(memoInfo, 1);
    layout->addWidget(createFolderPanel());
    lblNote = new QLabel(
        QStringLiteral("Note: specific instance options ( see Options menu ) will be used for "
                       "your MP3CD."),
        this);
    QFont bold = lblNote->font();
    bold.setBold(true);
    lblNote->setFont(bold);
    lblNote->setWordWrap(true);
    layout->addWidget(lblNote);
    const DialogParts::ButtonRow buttons = DialogParts::confirmAndCancel(
        QStringLiteral("btnCreate"), QStringLiteral("Create"), QStyle::SP_DialogApplyButton, this);
    btnCreate = buttons.confirm;
    btnCancel = buttons.cancel;
    layout->addLayout(buttons.layout);
    connect(btnCreate, &QPushButton::clicked, this, &Mp3CdWizard::btnCreateClick);
}

QWidget* Mp3CdWizard::createFolderPanel() {
    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    auto* layout = new QVBoxLayout(panel);
    layout->addWidget(new QLabel(
        QStringLiteral("Select the folder which will be the base folder of your MP3CD:"), panel));
    auto* row = new QHBoxLayout;
    edFolder = new QLineEdit(panel);
    btnFolderBrowse = DialogParts::browseButton(QStringLiteral("btnFolderBrowse"), panel);
    row->addWidget(edFolder);
    row->addWidget(btnFolderBrowse);
    layout->addLayout(row);
    connect(btnFolderBrowse, &QToolButton::clicked, this, &Mp3CdWizard::btnFolderBrowseClick);
    return panel;
}

void Mp3CdWizard::btnFolderBrowseClick() {
    const QString folder = browseForFolder(
        dialogs_, QStringLiteral("Select the base folder for your MP3CD:"), edFolder->text());
    if (!folder.isEmpty())
        edFolder->setText(folder);
}

void Mp3CdWizard::btnCreateClick() {
    const QString base = NativePath::withTrailingSeparator(edFolder->text());
    edFolder->setText(base);
    const Status built = buildMp3Cd({base, programPath_, vars_, dialogs_, &WaitWindow::runWalk});
    if (built.failed()) {
        dialogs_.showError(built.message());
        return;
    }
    dialogs_.showMessage(QStringLiteral("Structures created fine, go and burn your CD!"));
    accept();
}
