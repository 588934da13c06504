#pragma once

#include <QDialog>

#include <array>

struct Preferences;
class HintSwitch;
class RadioGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

// "User Options": the general options kept in the registry (upper half) and the options of
// this copy kept in its INI file (lower half). Created for one use by the Options command,
// filled from the settings, and copied back only when the user confirms it.
class PreferencesDialog : public QDialog {
    Q_OBJECT
public:
    explicit PreferencesDialog(QWidget* parent = nullptr);

    static constexpr int SpinMinimum = 1;
    static constexpr int SpinMaximum = 999;
    static constexpr int OtherCommand = 3; // the "Other:" item of radCommand
    static constexpr int ShuffleNormal = 0;
    static constexpr int ShufflePartial = 1;
    static constexpr int ShuffleTotal = 2;

    // Components, named as the program refers to them.
    QLabel* lblGeneralOptions = nullptr;
    QLabel* lblInstanceOptions = nullptr;
    RadioGroup* radCommand = nullptr;
    QLineEdit* edCommand = nullptr;
    QGroupBox* grpMisc = nullptr;
    QCheckBox* cbSaveIni = nullptr;
    QCheckBox* cbShowHints = nullptr;
    QCheckBox* cbIgnoreInstances = nullptr;
    RadioGroup* radIcon = nullptr;
    QGroupBox* grpAutoExecute = nullptr;
    QCheckBox* cbAutoExecute = nullptr;
    QCheckBox* cbAutoExecuteDelay = nullptr;
    QSpinBox* spinAutoExecuteDelay = nullptr;
    QCheckBox* cbAutoExecuteHide = nullptr;
    QCheckBox* cbAutoExecuteClose = nullptr;
    QSpinBox* spinAutoExecuteCloseDelay = nullptr;
    QGroupBox* grpShuffle = nullptr;
    QRadioButton* radShuffleNormal = nullptr;
    QRadioButton* radShufflePartial = nullptr;
    QCheckBox* cbShufflePL = nullptr;
    QCheckBox* cbShuffleWithinPL = nullptr;
    QRadioButton* radShuffleTotal = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

    // The tag of grpShuffle: the shuffle mode of the radio button chosen last.
    int grpShuffleTag() const { return grpShuffleTag_; }

    // Shows the settings (and the hint switch), then applies the enabling rules.
    void fill(const Preferences& options, const HintSwitch& hints);
    // Copies every control back, disabled ones included; the hint switch changes at once.
    void copyBack(Preferences& options, HintSwitch& hints);

    // Enabling rules; they change the Enabled state of controls, never their values.
    void radCommandClick();
    // With a shuffle radio button as sender, grpShuffle also takes that button's tag.
    void radShuffleClick(QObject* sender = nullptr);
    void cbAutoExecuteClick();

private:
    void createHeadings();
    void createGeneralRow();
    void createMiscGroup();
    void createAutoExecuteGroup();
    void createShuffleGroup();
    void createButtons();
    void arrangeLayout();
    void setTabOrderChain();
    void connectHandlers();
    // The radio buttons of grpShuffle, indexed by their tag.
    std::array<QRadioButton*, 3> shuffleRadios() const;

    int grpShuffleTag_ = ShuffleNormal;
};
