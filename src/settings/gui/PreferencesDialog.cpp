#include "PreferencesDialog.h"

#include "RadioGroup.h"

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
    setObjectName(QStringLiteral("preferencesDialog"));
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
    createAutoPlayGroup();
    createShuffleGroup();
    createButtons();
    arrangeLayout();
    setTabOrderChain();
    connectControls();
    enableShuffleOptions();
    enableAutoPlayOptions();
    enableCustomVerb();
}

void PreferencesDialog::createHeadings() {
    generalHeading_ =
        newHeading(QStringLiteral("generalHeading"),
                   QStringLiteral("General program options ( saved in system registry ):"), this);
    instanceHeading_ =
        newHeading(QStringLiteral("instanceHeading"),
                   QStringLiteral("Specific instance options ( saved in INI file ):"), this);
}

void PreferencesDialog::createGeneralRow() {
    const QString commandHint =
        QStringLiteral("This command will be used by windows to play the MP3 files");
    verbGroup_ = new RadioGroup(QStringLiteral("verbGroup"), QStringLiteral("Play Command"),
                                {QStringLiteral("Open"), QStringLiteral("Play"),
                                 QStringLiteral("Enqueue"), QStringLiteral("Other:")},
                                this);
    verbGroup_->setToolTip(commandHint);
    verbGroup_->setCheckedIndex(int(PlayVerb::Open));
    // The custom command sits beside the "Other:" item.
    customVerbEdit_ =
        named(new QLineEdit(verbGroup_), QStringLiteral("customVerbEdit"), commandHint);
    verbGroup_->grid()->addWidget(customVerbEdit_, int(PlayVerb::Custom), 1);
    customVerbEdit_->setAccessibleName(QStringLiteral("Other play command"));
    createMiscGroup();
    iconGroup_ = new RadioGroup(
        QStringLiteral("iconGroup"), QStringLiteral("Program's Icon"),
        {QStringLiteral("Taskbar"), QStringLiteral("System Tray"), QStringLiteral("Both")}, this);
    iconGroup_->setToolTip(QStringLiteral("Select where to display the program's icon"));
    iconGroup_->setCheckedIndex(int(IconPlacement::Taskbar));
}

void PreferencesDialog::createMiscGroup() {
    otherOptionsGroup_ = named(new QGroupBox(QStringLiteral("Other options"), this),
                               QStringLiteral("otherOptionsGroup"));
    QWidget* g = otherOptionsGroup_;
    saveOnCloseCheck_ =
        newCheckBox(QStringLiteral("saveOnCloseCheck"), QStringLiteral("Save options on exit"),
                    QStringLiteral("If checked, preferences ( including playlists ) will "
                                   "be saved on program exit. Clicking OK here also "
                                   "saves preferences."),
                    true, g);
    showHintsCheck_ = newCheckBox(
        QStringLiteral("showHintsCheck"), QStringLiteral("Show hints in application"),
        QStringLiteral("If checked, you'll see hints ( tooltips ) like the one you're reading now"),
        true, g);
    ignoreOtherCopiesCheck_ = newCheckBox(
        QStringLiteral("ignoreOtherCopiesCheck"), QStringLiteral("Ignore new program instances"),
        QStringLiteral("If checked, new instances of the program will be ignore. Otherwise, you "
                       "may load the INI preferences of the new instance."),
        true, g);
    auto* layout = new QVBoxLayout(otherOptionsGroup_);
    for (QCheckBox* box : {saveOnCloseCheck_, showHintsCheck_, ignoreOtherCopiesCheck_})
        layout->addWidget(box);
    layout->addStretch(1);
}

void PreferencesDialog::createAutoPlayGroup() {
    const QString autoHint = QStringLiteral(
        "If checked, all playlists found in the INI file will be played on program load");
    const QString delayHint = QStringLiteral("Select delay before AutoPlay begins");
    const QString closeHint =
        QStringLiteral("Select weather to close Platterbox after a few seconds");
    autoPlayGroup_ = named(new QGroupBox(QStringLiteral("Auto Play"), this),
                           QStringLiteral("autoPlayGroup"), autoHint);
    QWidget* g = autoPlayGroup_;
    autoPlayCheck_ = newCheckBox(QStringLiteral("autoPlayCheck"),
                                 QStringLiteral("Auto play on startup"), autoHint, false, g);
    autoPlayDelayCheck_ =
        newCheckBox(QStringLiteral("autoPlayDelayCheck"),
                    QStringLiteral("Delay (seconds) before playing:"), delayHint, true, g);
    autoPlayDelaySpin_ = newSpinEdit(QStringLiteral("autoPlayDelaySpin"), delayHint, 5, g);
    autoPlayDelaySpin_->setAccessibleName(QStringLiteral("Delay before playing (seconds)"));
    hideWhileAutoPlayingCheck_ = newCheckBox(
        QStringLiteral("hideWhileAutoPlayingCheck"), QStringLiteral("Hide program on auto play"),
        QStringLiteral("If checked, Platterbox will be hidden on AutoPlay"), true, g);
    closeAfterAutoPlayCheck_ =
        newCheckBox(QStringLiteral("closeAfterAutoPlayCheck"),
                    QStringLiteral("Close program after delay (seconds):"), closeHint, true, g);
    closeDelaySpin_ = newSpinEdit(QStringLiteral("closeDelaySpin"), closeHint, 30, g);
    closeDelaySpin_->setAccessibleName(QStringLiteral("Delay before closing (seconds)"));

    auto* grid = new QGridLayout(autoPlayGroup_);
    grid->setColumnMinimumWidth(0, Indent);
    grid->addWidget(autoPlayCheck_, 0, 0, 1, 3);
    grid->addWidget(autoPlayDelayCheck_, 1, 1);
    grid->addWidget(autoPlayDelaySpin_, 1, 2);
    grid->addWidget(hideWhileAutoPlayingCheck_, 2, 1, 1, 2);
    grid->addWidget(closeAfterAutoPlayCheck_, 3, 1);
    grid->addWidget(closeDelaySpin_, 3, 2);
    grid->setRowStretch(4, 1);
}

void PreferencesDialog::createShuffleGroup() {
    shuffleGroup_ =
        named(new QGroupBox(QStringLiteral("Shuffle songs"), this), QStringLiteral("shuffleGroup"));
    QWidget* g = shuffleGroup_;
    normalOrderRadio_ =
        newRadioButton(QStringLiteral("normalOrderRadio"), QStringLiteral("Normal playlist order"),
                       QStringLiteral("Songs played at playlist order"), g);
    partialShuffleRadio_ =
        newRadioButton(QStringLiteral("partialShuffleRadio"), QStringLiteral("Partial shuffle"),
                       QStringLiteral("Songs in playlists are partially shuffled "
                                      "before being sent to player"),
                       g);
    shufflePlaylistsCheck_ =
        newCheckBox(QStringLiteral("shufflePlaylistsCheck"), QStringLiteral("Shuffle playlists"),
                    QStringLiteral("Shuffle between playlists"), true, g);
    shuffleWithinPlaylistsCheck_ = newCheckBox(
        QStringLiteral("shuffleWithinPlaylistsCheck"), QStringLiteral("Shuffle within playlists"),
        QStringLiteral("Shuffle songs inside playlists"), false, g);
    totalShuffleRadio_ =
        newRadioButton(QStringLiteral("totalShuffleRadio"), QStringLiteral("Total shuffle"),
                       QStringLiteral("Songs in playlists are completely shuffled "
                                      "before being sent to player"),
                       g);
    normalOrderRadio_->setChecked(true);

    auto* grid = new QGridLayout(shuffleGroup_);
    grid->setColumnMinimumWidth(0, Indent);
    grid->addWidget(normalOrderRadio_, 0, 0, 1, 2);
    grid->addWidget(partialShuffleRadio_, 1, 0, 1, 2);
    grid->addWidget(shufflePlaylistsCheck_, 2, 1);
    grid->addWidget(shuffleWithinPlaylistsCheck_, 3, 1);
    grid->addWidget(totalShuffleRadio_, 4, 0, 1, 2);
    grid->setRowStretch(5, 1);
}

void PreferencesDialog::createButtons() {
    okButton_ = newButton(QStringLiteral("okButton"), QStringLiteral("OK"),
                          QStyle::SP_DialogOkButton, this);
    okButton_->setDefault(true);
    cancelButton_ = newButton(QStringLiteral("cancelButton"), QStringLiteral("Cancel"),
                              QStyle::SP_DialogCancelButton, this);
}

void PreferencesDialog::arrangeLayout() {
    auto* general = new QHBoxLayout;
    general->addWidget(verbGroup_);
    general->addWidget(otherOptionsGroup_, 1);
    general->addWidget(iconGroup_);
    auto* instance = new QHBoxLayout;
    instance->addWidget(autoPlayGroup_, 1);
    instance->addWidget(shuffleGroup_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);
    buttons->addStretch(1);

    auto* page = new QVBoxLayout(this);
    page->addWidget(generalHeading_);
    page->addLayout(general);
    page->addSpacing(8);
    page->addWidget(instanceHeading_);
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
    for (int index = 0; index < verbGroup_->count(); ++index)
        chain << verbGroup_->item(index);
    chain << customVerbEdit_ << okButton_ << cancelButton_;
    chain << normalOrderRadio_ << partialShuffleRadio_ << shufflePlaylistsCheck_
          << shuffleWithinPlaylistsCheck_ << totalShuffleRadio_;
    chain << autoPlayCheck_ << autoPlayDelayCheck_ << autoPlayDelaySpin_
          << hideWhileAutoPlayingCheck_ << closeAfterAutoPlayCheck_ << closeDelaySpin_;
    for (int index = 0; index < iconGroup_->count(); ++index)
        chain << iconGroup_->item(index);
    chain << saveOnCloseCheck_ << showHintsCheck_ << ignoreOtherCopiesCheck_;
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain.at(i - 1), chain.at(i));
}

void PreferencesDialog::connectControls() {
    connect(verbGroup_, &RadioGroup::checkedIndexChanged, this,
            &PreferencesDialog::enableCustomVerb);
    for (QRadioButton* radio : shuffleRadios())
        connect(radio, &QRadioButton::toggled, this, &PreferencesDialog::enableShuffleOptions);
    connect(autoPlayCheck_, &QCheckBox::toggled, this, &PreferencesDialog::enableAutoPlayOptions);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
}

std::array<QRadioButton*, 3> PreferencesDialog::shuffleRadios() const {
    return {normalOrderRadio_, partialShuffleRadio_, totalShuffleRadio_};
}

ShuffleMode PreferencesDialog::shuffleMode() const {
    const std::array<QRadioButton*, 3> radios = shuffleRadios();
    for (size_t mode = 0; mode < radios.size(); ++mode) {
        if (radios.at(mode)->isChecked())
            return ShuffleMode(mode);
    }
    return ShuffleMode::Normal;
}

void PreferencesDialog::enableCustomVerb() {
    customVerbEdit_->setEnabled(verbGroup_->checkedIndex() == int(PlayVerb::Custom));
}

void PreferencesDialog::enableShuffleOptions() {
    const bool partial = partialShuffleRadio_->isChecked();
    shufflePlaylistsCheck_->setEnabled(partial);
    shuffleWithinPlaylistsCheck_->setEnabled(partial);
}

void PreferencesDialog::enableAutoPlayOptions() {
    const bool on = autoPlayCheck_->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{
             autoPlayDelayCheck_, autoPlayDelaySpin_, hideWhileAutoPlayingCheck_,
             closeAfterAutoPlayCheck_, closeDelaySpin_})
        control->setEnabled(on);
}

void PreferencesDialog::setPreferences(const Preferences& options, bool showHints) {
    verbGroup_->setCheckedIndex(int(options.verb));
    iconGroup_->setCheckedIndex(int(options.iconPlacement));
    autoPlayDelaySpin_->setValue(options.autoPlayDelaySeconds);
    closeDelaySpin_->setValue(options.closeDelaySeconds);
    customVerbEdit_->setText(options.customVerb);
    saveOnCloseCheck_->setChecked(options.saveIniOnClose);
    showHintsCheck_->setChecked(showHints);
    ignoreOtherCopiesCheck_->setChecked(options.ignoreOtherCopies);
    autoPlayCheck_->setChecked(options.autoPlay);
    autoPlayDelayCheck_->setChecked(options.autoPlayAfterDelay);
    hideWhileAutoPlayingCheck_->setChecked(options.hideWhileAutoPlaying);
    closeAfterAutoPlayCheck_->setChecked(options.closeAfterAutoPlay);
    shufflePlaylistsCheck_->setChecked(options.shufflePlaylists);
    shuffleWithinPlaylistsCheck_->setChecked(options.shuffleWithinPlaylists);

    // A mode the dialog does not know shows as "Normal playlist order".
    const int mode = int(options.shuffleMode);
    const bool known = mode >= int(ShuffleMode::Normal) && mode <= int(ShuffleMode::Total);
    shuffleRadios().at(known ? size_t(mode) : 0)->setChecked(true);

    enableShuffleOptions();
    enableAutoPlayOptions();
    enableCustomVerb();
}

Preferences PreferencesDialog::preferences() {
    autoPlayDelaySpin_->interpretText();
    closeDelaySpin_->interpretText();

    Preferences options;
    options.verb = PlayVerb(verbGroup_->checkedIndex());
    options.iconPlacement = IconPlacement(iconGroup_->checkedIndex());
    options.autoPlayDelaySeconds = autoPlayDelaySpin_->value();
    options.closeDelaySeconds = closeDelaySpin_->value();
    options.shuffleMode = shuffleMode();
    options.customVerb = customVerbEdit_->text();
    options.saveIniOnClose = saveOnCloseCheck_->isChecked();
    options.ignoreOtherCopies = ignoreOtherCopiesCheck_->isChecked();
    options.autoPlay = autoPlayCheck_->isChecked();
    options.autoPlayAfterDelay = autoPlayDelayCheck_->isChecked();
    options.hideWhileAutoPlaying = hideWhileAutoPlayingCheck_->isChecked();
    options.closeAfterAutoPlay = closeAfterAutoPlayCheck_->isChecked();
    options.shufflePlaylists = shufflePlaylistsCheck_->isChecked();
    options.shuffleWithinPlaylists = shuffleWithinPlaylistsCheck_->isChecked();
    return options;
}

bool PreferencesDialog::showHints() const {
    return showHintsCheck_->isChecked();
}
