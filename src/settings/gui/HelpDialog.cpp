#include "HelpDialog.h"

#include "settings/Settings.h"

#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QVBoxLayout>

namespace {

const QSize ClientSize(363, 300);
constexpr int IconSize = 32;
// The colour of an inactive window caption on the classic desktop, behind dark text.
const QColor TextBackground(191, 205, 219);

QString helpText(const QString& name) {
    QFile file(QLatin1String(":/help/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

QLabel* boldLabel(const QString& name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

} // namespace

HelpDialog::HelpDialog(QWidget* parent)
    : QDialog(parent), memoInfo_(helpText(QStringLiteral("instructions.txt"))),
      memoHistory_(helpText(QStringLiteral("history.txt"))),
      memoFuture_(helpText(QStringLiteral("plans.txt"))) {
    setObjectName(QStringLiteral("TdlgAbout"));
    setWindowTitle(QStringLiteral("Platterbox Help"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setModal(false);
    createPanel();
    createText();
    arrangeLayout();
    fillTexts();
}

void HelpDialog::createPanel() {
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Raised);
    ProductName = boldLabel(QStringLiteral("ProductName"), QStringLiteral("Platterbox"), Panel1);
    Version = boldLabel(QStringLiteral("Version"),
                        QStringLiteral("Version information inside EXE file"), Panel1);
    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setPixmap(
        QIcon(QStringLiteral(":/icons/platterbox.svg")).pixmap(IconSize, IconSize));

    auto* names = new QVBoxLayout;
    names->addWidget(ProductName);
    names->addWidget(Version);
    auto* layout = new QHBoxLayout(Panel1);
    layout->addLayout(names, 1);
    layout->addWidget(ProgramIcon, 0, Qt::AlignRight | Qt::AlignTop);
}

void HelpDialog::createText() {
    tcText = new QTabBar(this);
    tcText->setObjectName(QStringLiteral("tcText"));
    tcText->setDrawBase(true);
    for (const QString& caption :
         {QStringLiteral("Instructions"), QStringLiteral("History"), QStringLiteral("Future")})
        tcText->addTab(caption);
    tcText->setCurrentIndex(Instructions);

    memoVisual = new QPlainTextEdit(this);
    memoVisual->setObjectName(QStringLiteral("memoVisual"));
    memoVisual->setReadOnly(true);
    memoVisual->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memoVisual->setMinimumSize(60, 60);
    QPalette palette = memoVisual->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, TextBackground);
        palette.setColor(group, QPalette::Text, Qt::black);
    }
    memoVisual->setPalette(palette);

    btnClose = new QPushButton(QStringLiteral("Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setDefault(true);
    connect(btnClose, &QPushButton::clicked, this, &HelpDialog::btnCloseClick);
    connect(tcText, &QTabBar::currentChanged, this, &HelpDialog::tcTextChange);
}

void HelpDialog::arrangeLayout() {
    auto* page = new QVBoxLayout(this);
    page->addWidget(Panel1);
    page->addSpacing(4);
    page->addWidget(tcText);
    page->setSpacing(0);
    page->addWidget(memoVisual, 1);
    page->addSpacing(6);
    page->addWidget(btnClose, 0, Qt::AlignHCenter);
    setFixedSize(ClientSize.expandedTo(minimumSizeHint()));
}

void HelpDialog::fillTexts() {
    ProgramIcon->setToolTip(QStringLiteral("Version number: ") + QString::number(ProgramVersion));
    tcTextChange();
}

QString HelpDialog::tabText(int tab) const {
    switch (tab) {
    case Instructions:
        return memoInfo_;
    case History:
        return memoHistory_;
    case Future:
        return memoFuture_;
    default:
        return QString();
    }
}

void HelpDialog::tcTextChange() {
    memoVisual->setPlainText(tabText(tcText->currentIndex()));
}

void HelpDialog::btnCloseClick() {
    close();
}

void HelpDialog::setVisible(bool visible) {
    if (visible && !placed_) {
        placed_ = true;
        centreOnDesktop();
    }
    QDialog::setVisible(visible);
    if (visible) {
        raise();
        activateWindow();
    }
}

void HelpDialog::centreOnDesktop() {
    const QScreen* screen = parentWidget() ? parentWidget()->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = geometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}
