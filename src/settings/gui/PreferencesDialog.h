#pragma once

#include "settings/Settings.h"

#include <QDialog>

#include <array>

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
// given the settings, and read back only when the user confirms it.
class PreferencesDialog : public QDialog {
    Q_OBJECT
public:
    explicit PreferencesDialog(QWidget* parent = nullptr);

    static constexpr int SpinMinimum = 1;
    static constexpr int SpinMaximum = 999;

    // Shows the options and the hint switch's state, then applies the enabling rules.
    void setPreferences(const Preferences& options, bool showHints);
    // Every control as the options it shows, disabled ones included; text still being typed
    // in a spin box counts as if it had lost the focus.
    Preferences preferences();
    bool showHints() const;

private:
    void createHeadings();
    void createGeneralRow();
    void createMiscGroup();
    void createAutoPlayGroup();
    void createShuffleGroup();
    void createButtons();
    void arrangeLayout();
    void setTabOrderChain();
    void connectControls();
    // The shuffle radio buttons, indexed by ShuffleMode.
    std::array<QRadioButton*, 3> shuffleRadios() const;
    ShuffleMode shuffleMode() const;

    // Enabling rules; they change the enabled state of controls, never their values.
    void enableCustomVerb();
    void enableShuffleOptions();
    void enableAutoPlayOptions();

    QLabel* generalHeading_ = nullptr;
    QLabel* instanceHeading_ = nullptr;
    RadioGroup* verbGroup_ = nullptr;
    QLineEdit* customVerbEdit_ = nullptr;
    QGroupBox* otherOptionsGroup_ = nullptr;
    QCheckBox* saveOnCloseCheck_ = nullptr;
    QCheckBox* showHintsCheck_ = nullptr;
    QCheckBox* ignoreOtherCopiesCheck_ = nullptr;
    RadioGroup* iconGroup_ = nullptr;
    QGroupBox* autoPlayGroup_ = nullptr;
    QCheckBox* autoPlayCheck_ = nullptr;
    QCheckBox* autoPlayDelayCheck_ = nullptr;
    QSpinBox* autoPlayDelaySpin_ = nullptr;
    QCheckBox* hideWhileAutoPlayingCheck_ = nullptr;
    QCheckBox* closeAfterAutoPlayCheck_ = nullptr;
    QSpinBox* closeDelaySpin_ = nullptr;
    QGroupBox* shuffleGroup_ = nullptr;
    QRadioButton* normalOrderRadio_ = nullptr;
    QRadioButton* partialShuffleRadio_ = nullptr;
    QCheckBox* shufflePlaylistsCheck_ = nullptr;
    QCheckBox* shuffleWithinPlaylistsCheck_ = nullptr;
    QRadioButton* totalShuffleRadio_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};
