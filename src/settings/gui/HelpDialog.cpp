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
    : QDialog(parent), texts_{helpText(QStringLiteral("instructions.txt")),
                              helpText(QStringLiteral("history.txt")),
                              helpText(QStringLiteral("plans.txt"))} {
    setObjectName(QStringLiteral("helpDialog"));
    setWindowTitle(QStringLiteral("Platterbox Help"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setModal(false);
    createPanel();
    createText();
    arrangeLayout();
    programIcon_->setToolTip(QStringLiteral("Version number: ") + QString::number(ProgramVersion));
    showCurrentTabText();
}

void HelpDialog::createPanel() {
    panel_ = new QFrame(this);
    panel_->setObjectName(QStringLiteral("headerPanel"));
    panel_->setFrameShape(QFrame::Panel);
    panel_->setFrameShadow(QFrame::Raised);
    productName_ = boldLabel(QStringLiteral("productName"), QStringLiteral("Platterbox"), panel_);
    version_ = boldLabel(QStringLiteral("version"),
                         QStringLiteral("Version information inside EXE file"), panel_);
    programIcon_ = new QLabel(panel_);
    programIcon_->setObjectName(QStringLiteral("programIcon"));
    programIcon_->setPixmap(
        QIcon(QStringLiteral(":/icons/platterbox.svg")).pixmap(IconSize, IconSize));

    auto* names = new QVBoxLayout;
    names->addWidget(productName_);
    names->addWidget(version_);
    auto* layout = new QHBoxLayout(panel_);
    layout->addLayout(names, 1);
    layout->addWidget(programIcon_, 0, Qt::AlignRight | Qt::AlignTop);
}

void HelpDialog::createText() {
    tabs_ = new QTabBar(this);
    tabs_->setObjectName(QStringLiteral("textTabs"));
    tabs_->setDrawBase(true);
    for (const QString& caption :
         {QStringLiteral("Instructions"), QStringLiteral("History"), QStringLiteral("Future")})
        tabs_->addTab(caption);
    tabs_->setCurrentIndex(Instructions);
    tabs_->setAccessibleName(QStringLiteral("Help topics"));

    textView_ = new QPlainTextEdit(this);
    textView_->setObjectName(QStringLiteral("textView"));
    textView_->setReadOnly(true);
    textView_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    textView_->setAccessibleName(QStringLiteral("Help text"));
    textView_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    textView_->setMinimumSize(60, 60);
    QPalette palette = textView_->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, TextBackground);
        palette.setColor(group, QPalette::Text, Qt::black);
    }
    textView_->setPalette(palette);

    closeButton_ = new QPushButton(QStringLiteral("Close"), this);
    closeButton_->setObjectName(QStringLiteral("closeButton"));
    closeButton_->setDefault(true);
    connect(closeButton_, &QPushButton::clicked, this, &QWidget::close);
    connect(tabs_, &QTabBar::currentChanged, this, &HelpDialog::showCurrentTabText);
}

void HelpDialog::arrangeLayout() {
    auto* page = new QVBoxLayout(this);
    page->addWidget(panel_);
    page->addSpacing(4);
    page->addWidget(tabs_);
    page->setSpacing(0);
    page->addWidget(textView_, 1);
    page->addSpacing(6);
    page->addWidget(closeButton_, 0, Qt::AlignHCenter);
    setFixedSize(ClientSize.expandedTo(minimumSizeHint()));
}

QString HelpDialog::tabText(int tab) const {
    return tab >= 0 && tab < int(texts_.size()) ? texts_.at(size_t(tab)) : QString();
}

void HelpDialog::showCurrentTabText() {
    textView_->setPlainText(tabText(tabs_->currentIndex()));
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
