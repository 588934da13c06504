#include "PreferencesDialog.h"

#include "HintSwitch.h"
#include "RadioGroup.h"
#include "settings/Settings.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QVBoxLayout>

namespace {

constexpr int Indent = 18;
const QSize ClientSize(538, 353);

template <typename Control>
Control* named(Control* control, const QString& name, const QString& hint = QString()) {
    control->setObjectName(name);
    control->setToolTip(hint);
    return control;
}

QCheckBox* newCheckBox(const QString& name, const QString& caption, const QString& hint,
                       bool checked, QWidget* parent) {
    auto* box = named(new QCheckBox(caption, parent), name, hint);
    box->setChecked(checked);
    return box;
}

QRadioButton* newRadioButton(const QString& name, const QString& caption, const QString& hint,
                             QWidget* parent) {
    return named(new QRadioButton(caption, parent), name, hint);
}

// A spin edit that keeps its value within 1..999; typed text outside the range, or no number
// at all, is brought back into it when the control loses the focus.
class SpinEdit : public QSpinBox {
public:
    using QSpinBox::QSpinBox;

protected:
    // A number above the range may be typed (QSpinBox refuses its last digit: 5000 became 500).
    QValidator::State validate(QString& text, int& position) const override {
        const QValidator::State state = QSpinBox::validate(text, position);
        return state == QValidator::Invalid && isNumberAbove(text) ? QValidator::Intermediate
                                                                   : state;
    }
    void fixup(QString& text) const override {
        if (isNumberAbove(text))
            text = QString::number(maximum());
    }

private:
    bool isNumberAbove(const QString& text) const {
        bool number = false;
        const qlonglong value = text.trimmed().toLongLong(&number);
        return number && value > maximum();
    }
};

QSpinBox* newSpinEdit(const QString& name, const QString& hint, int value, QWidget* parent) {
    auto* spin = named<QSpinBox>(new SpinEdit(parent), name, hint);
    spin->setRange(PreferencesDialog::SpinMinimum, PreferencesDialog::SpinMaximum);
    spin->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    spin->setValue(value);
    return spin;
}

QLabel* newHeading(const QString& name, const QString& text, QWidget* parent) {
    auto* label = named(new QLabel(text, parent), name);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

QPushButton* newButton(const QString& name, const QString& caption, QStyle::StandardPixmap glyph,
                       QWidget* parent) {
    auto* button = named(new QPushButton(caption, parent), name);
    button->setIcon(parent->style()->standardIcon(glyph));
    button->setAutoDefault(false);
    return button;
}

} // namespace

PreferencesDialog::PreferencesDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgPreferences"));
    setWindowTitle(QStringLiteral("User Options"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);
    // The form's 8-point font: the client area is 538 x 353 pixels.
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    createHeadings();
    createGeneralRow();
    createAutoExecuteGroup();
    createShuffleGroup();
    createButtons();
    arrangeLayout();
    setTabOrderChain();
    connectHandlers();
    radShuffleClick();
    cbAutoExecuteClick();
    radCommandClick();
}

void PreferencesDialog::createHeadings() {
    lblGeneralOptions =
        newHeading(QStringLiteral("lblGeneralOptions"),
                   QStringLiteral("General program options ( saved in system registry ):"), this);
    lblInstanceOptions =
        newHeading(QStringLiteral("lblInstanceOptions"),
                   QStringLiteral("Specific instance options ( saved in INI file ):"), this);
}

void PreferencesDialog::createGeneralRow() {
    const QString commandHint =
        QStringLiteral("This command will be used by windows to play the MP3 files");
    radCommand = new RadioGroup(QStringLiteral("radCommand"), QStringLiteral("Play Command"),
                                {QStringLiteral("Open"), QStringLiteral("Play"),
                                 QStringLiteral("Enqueue"), QStringLiteral("Other:")},
                                this);
    radCommand->setToolTip(commandHint);
    radCommand->setItemIndex(0);
    // The custom command sits beside the "Other:" item.
    edCommand = named(new QLineEdit(radCommand), QStringLiteral("edCommand"), commandHint);
    radCommand->grid()->addWidget(edCommand, OtherCommand, 1);
    createMiscGroup();
    radIcon = new RadioGroup(
        QStringLiteral("radIcon"), QStringLiteral("Program's Icon"),
        {QStringLiteral("Taskbar"), QStringLiteral("System Tray"), QStringLiteral("Both")}, this);
    radIcon->setToolTip(QStringLiteral("Select where to display the program's icon"));
    radIcon->setItemIndex(0);
}

void PreferencesDialog::createMiscGroup() {
    grpMisc =
        named(new QGroupBox(QStringLiteral("Other options"), this), QStringLiteral("grpMisc"));
    cbSaveIni = newCheckBox(QStringLiteral("cbSaveIni"), QStringLiteral("Save options on exit"),
                            QStringLiteral("If checked, preferences ( including playlists ) will "
                                           "be saved on program exit. Clicking OK here also "
                                           "saves preferences."),
                            true, grpMisc);
    cbShowHints = newCheckBox(
        QStringLiteral("cbShowHints"), QStringLiteral("Show hints in application"),
        QStringLiteral("If checked, you'll see hints ( tooltips ) like the one you're reading now"),
        true, grpMisc);
    cbIgnoreInstances = newCheckBox(
        QStringLiteral("cbIgnoreInstances"), QStringLiteral("Ignore new program instances"),
        QStringLiteral("If checked, new instances of the program will be ignore. Otherwise, you "
                       "may load the INI preferences of the new instance."),
        true, grpMisc);
    auto* layout = new QVBoxLayout(grpMisc);
    for (QCheckBox* box : {cbSaveIni, cbShowHints, cbIgnoreInstances})
        layout->addWidget(box);
    layout->addStretch(1);
}

void PreferencesDialog::createAutoExecuteGroup() {
    const QString autoHint = QStringLiteral(
        "If checked, all playlists found in the INI file will be played on program load");
    const QString delayHint = QStringLiteral("Select delay before AutoPlay begins");
    const QString closeHint =
        QStringLiteral("Select weather to close Platterbox after a few seconds");
    grpAutoExecute = named(new QGroupBox(QStringLiteral("Auto Play"), this),
                           QStringLiteral("grpAutoExecute"), autoHint);
    QWidget* g = grpAutoExecute;
    cbAutoExecute = newCheckBox(QStringLiteral("cbAutoExecute"),
                                QStringLiteral("Auto play on startup"), autoHint, false, g);
    cbAutoExecuteDelay =
        newCheckBox(QStringLiteral("cbAutoExecuteDelay"),
                    QStringLiteral("Delay (seconds) before playing:"), delayHint, true, g);
    spinAutoExecuteDelay = newSpinEdit(QStringLiteral("spinAutoExecuteDelay"), delayHint, 5, g);
    cbAutoExecuteHide = newCheckBox(QStringLiteral("cbAutoExecuteHide"),
                                    QStringLiteral("Hide program on auto play"),
                                    QStringLiteral("If checked, Platterbox will be hidden on "
                                                   "AutoPlay"),
                                    true, g);
    cbAutoExecuteClose =
        newCheckBox(QStringLiteral("cbAutoExecuteClose"),
                    QStringLiteral("Close program after delay (seconds):"), closeHint, true, g);
    spinAutoExecuteCloseDelay =
        newSpinEdit(QStringLiteral("spinAutoExecuteCloseDelay"), closeHint, 30, g);

    auto* grid = new QGridLayout(grpAutoExecute);
    grid->setColumnMinimumWidth(0, Indent);
    grid->addWidget(cbAutoExecute, 0, 0, 1, 3);
    grid->addWidget(cbAutoExecuteDelay, 1, 1);
    grid->addWidget(spinAutoExecuteDelay, 1, 2);
    grid->addWidget(cbAutoExecuteHide, 2, 1, 1, 2);
    grid->addWidget(cbAutoExecuteClose, 3, 1);
    grid->addWidget(spinAutoExecuteCloseDelay, 3, 2);
    grid->setRowStretch(4, 1);
}

void PreferencesDialog::createShuffleGroup() {
    grpShuffle =
        named(new QGroupBox(QStringLiteral("Shuffle songs"), this), QStringLiteral("grpShuffle"));
    QWidget* g = grpShuffle;
    radShuffleNormal =
        newRadioButton(QStringLiteral("radShuffleNormal"), QStringLiteral("Normal playlist order"),
                       QStringLiteral("Songs played at playlist order"), g);
    radShufflePartial =
        newRadioButton(QStringLiteral("radShufflePartial"), QStringLiteral("Partial shuffle"),
                       QStringLiteral("Songs in playlists are partially shuffled "
                                      "before being sent to player"),
                       g);
    cbShufflePL = newCheckBox(QStringLiteral("cbShufflePL"), QStringLiteral("Shuffle playlists"),
                              QStringLiteral("Shuffle between playlists"), true, g);
    cbShuffleWithinPL =
        newCheckBox(QStringLiteral("cbShuffleWithinPL"), QStringLiteral("Shuffle within playlists"),
                    QStringLiteral("Shuffle songs inside playlists"), false, g);
    radShuffleTotal =
        newRadioButton(QStringLiteral("radShuffleTotal"), QStringLiteral("Total shuffle"),
                       QStringLiteral("Songs in playlists are completely shuffled "
                                      "before being sent to player"),
                       g);
    radShuffleNormal->setChecked(true);

    auto* grid = new QGridLayout(grpShuffle);
    grid->setColumnMinimumWidth(0, Indent);
    grid->addWidget(radShuffleNormal, 0, 0, 1, 2);
    grid->addWidget(radShufflePartial, 1, 0, 1, 2);
    grid->addWidget(cbShufflePL, 2, 1);
    grid->addWidget(cbShuffleWithinPL, 3, 1);
    grid->addWidget(radShuffleTotal, 4, 0, 1, 2);
    grid->setRowStretch(5, 1);
}

void PreferencesDialog::createButtons() {
    btnOK =
        newButton(QStringLiteral("btnOK"), QStringLiteral("OK"), QStyle::SP_DialogOkButton, this);
    btnOK->setDefault(true);
    btnCancel = newButton(QStringLiteral("btnCancel"), QStringLiteral("Cancel"),
                          QStyle::SP_DialogCancelButton, this);
}

void PreferencesDialog::arrangeLayout() {
    auto* general = new QHBoxLayout;
    general->addWidget(radCommand);
    general->addWidget(grpMisc, 1);
    general->addWidget(radIcon);
    auto* instance = new QHBoxLayout;
    instance->addWidget(grpAutoExecute, 1);
    instance->addWidget(grpShuffle, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    buttons->addStretch(1);

    auto* page = new QVBoxLayout(this);
    page->addWidget(lblGeneralOptions);
    page->addLayout(general);
    page->addSpacing(8);
    page->addWidget(lblInstanceOptions);
    page->addLayout(instance, 1);
    page->addLayout(buttons);
    page->setContentsMargins(6, 4, 6, 6);
    // Spaced as tightly as the form, so everything fits the client area at its full size.
    for (QLayout* layout : findChildren<QLayout*>()) {
        layout->setSpacing(2);
        if (layout != page && layout->parentWidget() != this)
            layout->setContentsMargins(6, 2, 6, 2);
    }
    setFixedSize(ClientSize);
}

void PreferencesDialog::setTabOrderChain() {
    QList<QWidget*> chain;
    for (int index = 0; index < radCommand->count(); ++index)
        chain << radCommand->item(index);
    chain << edCommand << btnOK << btnCancel;
    chain << radShuffleNormal << radShufflePartial << cbShufflePL << cbShuffleWithinPL
          << radShuffleTotal;
    chain << cbAutoExecute << cbAutoExecuteDelay << spinAutoExecuteDelay << cbAutoExecuteHide
          << cbAutoExecuteClose << spinAutoExecuteCloseDelay;
    for (int index = 0; index < radIcon->count(); ++index)
        chain << radIcon->item(index);
    chain << cbSaveIni << cbShowHints << cbIgnoreInstances;
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain.at(i - 1), chain.at(i));
}

void PreferencesDialog::connectHandlers() {
    connect(radCommand, &RadioGroup::itemIndexChanged, this, &PreferencesDialog::radCommandClick);
    for (QRadioButton* radio : shuffleRadios()) {
        connect(radio, &QRadioButton::toggled, this, [this, radio](bool checked) {
            if (checked)
                radShuffleClick(radio);
        });
    }
    connect(cbAutoExecute, &QCheckBox::toggled, this, &PreferencesDialog::cbAutoExecuteClick);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

std::array<QRadioButton*, 3> PreferencesDialog::shuffleRadios() const {
    return {radShuffleNormal, radShufflePartial, radShuffleTotal};
}

void PreferencesDialog::radCommandClick() {
    edCommand->setEnabled(radCommand->itemIndex() == OtherCommand);
}

void PreferencesDialog::radShuffleClick(QObject* sender) {
    const bool partial = radShufflePartial->isChecked();
    cbShufflePL->setEnabled(partial);
    cbShuffleWithinPL->setEnabled(partial);
    const std::array<QRadioButton*, 3> radios = shuffleRadios();
    for (int tag = 0; tag < int(radios.size()); ++tag) {
        if (radios.at(tag) == sender)
            grpShuffleTag_ = tag;
    }
}

void PreferencesDialog::cbAutoExecuteClick() {
    const bool on = cbAutoExecute->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{
             cbAutoExecuteDelay, spinAutoExecuteDelay, cbAutoExecuteHide, cbAutoExecuteClose,
             spinAutoExecuteCloseDelay})
        control->setEnabled(on);
}

void PreferencesDialog::fill(const Preferences& options, const HintSwitch& hints) {
    radCommand->setItemIndex(options.verb);
    radIcon->setItemIndex(options.iconPlacement);
    spinAutoExecuteDelay->setValue(options.autoPlayDelaySeconds);
    spinAutoExecuteCloseDelay->setValue(options.closeDelaySeconds);
    edCommand->setText(options.customVerb);
    cbSaveIni->setChecked(options.saveIniOnClose);
    cbShowHints->setChecked(hints.enabled());
    cbIgnoreInstances->setChecked(options.ignoreOtherCopies);
    cbAutoExecute->setChecked(options.autoPlay);
    cbAutoExecuteDelay->setChecked(options.autoPlayAfterDelay);
    cbAutoExecuteHide->setChecked(options.hideWhileAutoPlaying);
    cbAutoExecuteClose->setChecked(options.closeAfterAutoPlay);
    cbShufflePL->setChecked(options.shufflePlaylists);
    cbShuffleWithinPL->setChecked(options.shuffleWithinPlaylists);

    // A mode the dialog does not know leaves "Normal playlist order" checked with tag 0.
    const int mode = options.shuffleMode;
    const bool known = mode >= ShuffleNormal && mode <= ShuffleTotal;
    shuffleRadios().at(known ? mode : ShuffleNormal)->setChecked(true);
    grpShuffleTag_ = known ? mode : ShuffleNormal;

    radShuffleClick();
    cbAutoExecuteClick();
    radCommandClick();
}

void PreferencesDialog::copyBack(Preferences& options, HintSwitch& hints) {
    // Text still being typed counts as if the spin edit had lost the focus.
    spinAutoExecuteDelay->interpretText();
    spinAutoExecuteCloseDelay->interpretText();

    options.verb = radCommand->itemIndex();
    options.iconPlacement = radIcon->itemIndex();
    options.autoPlayDelaySeconds = spinAutoExecuteDelay->value();
    options.closeDelaySeconds = spinAutoExecuteCloseDelay->value();
    options.shuffleMode = grpShuffleTag_;
    options.customVerb = edCommand->text();
    options.saveIniOnClose = cbSaveIni->isChecked();
    hints.setEnabled(cbShowHints->isChecked());
    options.ignoreOtherCopies = cbIgnoreInstances->isChecked();
    options.autoPlay = cbAutoExecute->isChecked();
    options.autoPlayAfterDelay = cbAutoExecuteDelay->isChecked();
    options.hideWhileAutoPlaying = cbAutoExecuteHide->isChecked();
    options.closeAfterAutoPlay = cbAutoExecuteClose->isChecked();
    options.shufflePlaylists = cbShufflePL->isChecked();
    options.shuffleWithinPlaylists = cbShuffleWithinPL->isChecked();
}
