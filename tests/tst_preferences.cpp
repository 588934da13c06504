#include "MainWindowFixture.h"
#include "TestSupport.h"
#include "platform/ConfigLocations.h"
#include "settings/gui/RadioGroup.h"
#include "settings/gui/PreferencesDialog.h"
#include "startup/gui/TrayIcon.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QToolTip>
#include <QtTest>

#include <functional>

using TestSupport::readBytes;
using TestSupport::writeBytes;

namespace {

// A control of the dialog, found by its object name as a user finds it by its role.
template <class Control> Control* child(QWidget& dialog, const char* name) {
    return dialog.findChild<Control*>(QLatin1String(name));
}

// A record unlike the defaults in every field; auto-play is off, so its five controls are
// disabled.
Preferences unusualOptions() {
    Preferences o;
    o.verb = PlayVerb::Enqueue;
    o.iconPlacement = IconPlacement::SystemTray;
    o.autoPlayDelaySeconds = 17;
    o.closeDelaySeconds = 250;
    o.shuffleMode = ShuffleMode::Partial;
    o.customVerb = QStringLiteral("Burn");
    o.ignoreOtherCopies = o.hideWhileAutoPlaying = true;
    o.shuffleWithinPlaylists = true;
    return o;
}

} // namespace

// The Preferences dialog on its own, and the Options command of the real main window with its
// real settings files.
class TestPreferences : public QObject {
    Q_OBJECT

    TestSupport::IsolatedEnvironment env_;
    QTemporaryDir dir_;
    std::unique_ptr<MainWindowFixture> f_;
    HintSwitch hints_;

    QString iniPath() const { return dir_.filePath(QStringLiteral("Platterbox.Ini")); }
    MainWindow& window() { return *f_->window; }
    static QByteArray registry() { return readBytes(ConfigLocations::userRegistryFile()); }

    // Creates the main window and waits for its first showing, so that start-up is over.
    bool start() {
        f_ = std::make_unique<MainWindowFixture>(dir_.filePath(QStringLiteral("~PLATBX~.M3U")));
        f_->create(dir_.filePath(QStringLiteral("Platterbox")));
        return QTest::qWaitFor([this] { return window().isVisible(); });
    }

    // Presses Options; `act` works on the open dialog and returns true for OK, false for
    // Cancel. A dialog still open after ten seconds is closed, so no test can hang.
    bool runOptions(const std::function<bool(PreferencesDialog&)>& act) {
        bool reached = false;
        QTimer::singleShot(0, &window(), [&] {
            if (auto* dialog =
                    qobject_cast<PreferencesDialog*>(QApplication::activeModalWidget())) {
                reached = true;
                child<QPushButton>(*dialog, act(*dialog) ? "okButton" : "cancelButton")->click();
            }
        });
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        guard.start(10000);
        buttonOf(window(), "optionsButton")->click();
        return reached;
    }

private Q_SLOTS:
    void init() {
        writeBytes(iniPath(), "[General]\r\n; kept by hand\r\ncbAutoExecute_Checked=0\r\n"
                              "spinAutoExecuteDelay_Value=0\r\n[PlayLists]\r\nTotal=0\r\n");
        QFile::remove(ConfigLocations::userRegistryFile());
        hints_.setEnabled(true);
    }

    void cleanup() { f_.reset(); }

    void formShape() {
        PreferencesDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("User Options"));
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
        QCOMPARE(dialog.size(), QSize(538, 353));
        // Every control has the room it needs.
        QCOMPARE(dialog.minimumSizeHint().expandedTo(dialog.size()), dialog.size());
        QVERIFY(
            !(dialog.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                                      Qt::WindowContextHelpButtonHint)));
        QVERIFY(child<QLabel>(dialog, "generalHeading")->font().bold() &&
                child<QLabel>(dialog, "instanceHeading")->font().bold());
        QVERIFY(child<RadioGroup>(dialog, "iconGroup")->geometry().bottom() <
                child<QLabel>(dialog, "instanceHeading")->y());
        QVERIFY(child<QPushButton>(dialog, "okButton")->isDefault());
        // The custom command sits on the line of "Other:", right of it.
        const QRect other =
            child<RadioGroup>(dialog, "verbGroup")->item(int(PlayVerb::Custom))->geometry();
        QVERIFY(child<QLineEdit>(dialog, "customVerbEdit")->x() > other.left());
        QVERIFY(qAbs(child<QLineEdit>(dialog, "customVerbEdit")->geometry().center().y() -
                     other.center().y()) < 8);
        // Items without a hint of their own show their group's hint.
        QCOMPARE(TestSupport::tooltipShownBy(child<RadioGroup>(dialog, "iconGroup")->item(2)),
                 child<RadioGroup>(dialog, "iconGroup")->toolTip());
    }

    void tabOrder() {
        PreferencesDialog dialog;
        const QStringList components = {
            QStringLiteral("verbGroup"),    QStringLiteral("customVerbEdit"),
            QStringLiteral("okButton"),     QStringLiteral("cancelButton"),
            QStringLiteral("shuffleGroup"), QStringLiteral("autoPlayGroup"),
            QStringLiteral("iconGroup"),    QStringLiteral("otherOptionsGroup")};
        // Every focusable control counts as the component it belongs to.
        auto componentOf = [&](QWidget* widget) {
            for (; widget && widget != &dialog; widget = widget->parentWidget()) {
                if (components.contains(widget->objectName()))
                    return widget->objectName();
            }
            return QString();
        };
        QStringList visited;
        QWidget* first = child<RadioGroup>(dialog, "verbGroup")->item(0);
        QWidget* widget = first;
        do {
            const QString component = componentOf(widget);
            if (widget->focusPolicy() != Qt::NoFocus && !component.isEmpty() &&
                (visited.isEmpty() || visited.last() != component))
                visited << component;
            widget = widget->nextInFocusChain();
        } while (widget != first);
        QCOMPARE(visited, components);
    }

    void playCommand_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("clicked"); // -1: no click
        QTest::addColumn<int>("index");
        QTest::newRow("stored Other:") << 3 << -1 << 3;
        QTest::newRow("stored past the last item") << 7 << -1 << 3;
        QTest::newRow("stored below -1") << -5 << -1 << -1;
        QTest::newRow("Open chosen") << 3 << 0 << 0;
        QTest::newRow("Enqueue chosen") << 3 << 2 << 2;
        QTest::newRow("Other: chosen") << 1 << 3 << 3;
    }

    void playCommand() {
        QFETCH(int, stored);
        QFETCH(int, clicked);
        QFETCH(int, index);
        PreferencesDialog dialog;
        Preferences options = unusualOptions();
        options.verb = PlayVerb(stored);
        dialog.setPreferences(options, hints_.enabled());
        if (clicked >= 0)
            child<RadioGroup>(dialog, "verbGroup")->item(clicked)->click();
        QCOMPARE(child<RadioGroup>(dialog, "verbGroup")->checkedIndex(), index);
        QCOMPARE(child<QLineEdit>(dialog, "customVerbEdit")->isEnabled(),
                 index == int(PlayVerb::Custom));
        options = dialog.preferences();
        QCOMPARE(options.verb, PlayVerb(index));
        QCOMPARE(options.customVerb, QStringLiteral("Burn")); // kept, also when disabled
    }

    void shuffleModeOnOpening_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("checked");
        QTest::addColumn<int>("tag");
        QTest::newRow("normal") << 0 << QStringLiteral("normalOrderRadio") << 0;
        QTest::newRow("partial") << 1 << QStringLiteral("partialShuffleRadio") << 1;
        QTest::newRow("total") << 2 << QStringLiteral("totalShuffleRadio") << 2;
        QTest::newRow("unknown") << 5 << QStringLiteral("normalOrderRadio") << 0;
    }

    void shuffleModeOnOpening() {
        QFETCH(int, stored);
        QFETCH(QString, checked);
        QFETCH(int, tag);
        PreferencesDialog dialog;
        Preferences options = unusualOptions();
        options.shuffleMode = ShuffleMode(stored);
        dialog.setPreferences(options, hints_.enabled());
        QVERIFY(dialog.findChild<QRadioButton*>(checked)->isChecked());
        QCOMPARE(dialog.preferences().shuffleMode, ShuffleMode(tag));
        QCOMPARE(child<QCheckBox>(dialog, "shufflePlaylistsCheck")->isEnabled(), tag == 1);
        QCOMPARE(child<QCheckBox>(dialog, "shuffleWithinPlaylistsCheck")->isEnabled(), tag == 1);
        // Disabled or not, the boxes keep their check marks.
        QVERIFY(!child<QCheckBox>(dialog, "shufflePlaylistsCheck")->isChecked() &&
                child<QCheckBox>(dialog, "shuffleWithinPlaylistsCheck")->isChecked());
    }

    void shuffleClicksSetTheTag() {
        PreferencesDialog dialog;
        dialog.setPreferences(unusualOptions(), hints_.enabled());
        child<QRadioButton>(dialog, "totalShuffleRadio")->click();
        QCOMPARE(dialog.preferences().shuffleMode, ShuffleMode::Total);
        QVERIFY(!child<QCheckBox>(dialog, "shufflePlaylistsCheck")->isEnabled());
        child<QRadioButton>(dialog, "partialShuffleRadio")->click();
        QVERIFY(child<QCheckBox>(dialog, "shufflePlaylistsCheck")->isEnabled() &&
                child<QCheckBox>(dialog, "shuffleWithinPlaylistsCheck")->isEnabled());
        child<QCheckBox>(dialog, "autoPlayCheck")->click(); // not a shuffle button: the mode stays
        QCOMPARE(dialog.preferences().shuffleMode, ShuffleMode::Partial);
    }

    void autoPlayEnabling() {
        PreferencesDialog dialog;
        dialog.setPreferences(unusualOptions(), hints_.enabled());
        const QList<QWidget*> below = {child<QCheckBox>(dialog, "autoPlayDelayCheck"),
                                       child<QSpinBox>(dialog, "autoPlayDelaySpin"),
                                       child<QCheckBox>(dialog, "hideWhileAutoPlayingCheck"),
                                       child<QCheckBox>(dialog, "closeAfterAutoPlayCheck"),
                                       child<QSpinBox>(dialog, "closeDelaySpin")};
        for (QWidget* control : below)
            QVERIFY2(!control->isEnabled(), qPrintable(control->objectName()));
        child<QCheckBox>(dialog, "autoPlayCheck")->click();
        for (QWidget* control : below)
            QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
        // The spin edits follow "Auto play on startup" only, not their own check boxes.
        QVERIFY(!child<QCheckBox>(dialog, "autoPlayDelayCheck")->isChecked() &&
                !child<QCheckBox>(dialog, "closeAfterAutoPlayCheck")->isChecked());
    }

    void typedDelayIsCorrectedOnLeaving_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("value");
        QTest::newRow("number") << QStringLiteral("123") << 123;
        QTest::newRow("zero") << QStringLiteral("0") << 1;
        QTest::newRow("nothing") << QString() << 1;
        QTest::newRow("letters") << QStringLiteral("ab") << 1;
        QTest::newRow("above the range") << QStringLiteral("5000") << 999;
        QTest::newRow("far above") << QStringLiteral("12345678901") << 999;
    }

    void typedDelayIsCorrectedOnLeaving() {
        QFETCH(QString, typed);
        QFETCH(int, value);
        PreferencesDialog dialog;
        Preferences options = unusualOptions();
        options.autoPlay = true;
        dialog.setPreferences(options, hints_.enabled());
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QSpinBox* spin = child<QSpinBox>(dialog, "autoPlayDelaySpin");
        spin->setFocus();
        QTRY_VERIFY(spin->hasFocus());
        spin->selectAll();
        QTest::keyClick(spin, Qt::Key_Delete);
        QTest::keyClicks(spin, typed);
        child<QCheckBox>(dialog, "saveOnCloseCheck")->setFocus();
        QTRY_VERIFY(!spin->hasFocus());
        QCOMPARE(spin->text(), QString::number(value));
        QCOMPARE(dialog.preferences().autoPlayDelaySeconds, value);
    }

    void preferencesTakeEveryControl() {
        PreferencesDialog dialog;
        hints_.setEnabled(false);
        const Preferences stored = unusualOptions();
        dialog.setPreferences(stored, hints_.enabled());
        QVERIFY(!child<QCheckBox>(dialog, "showHintsCheck")->isChecked());
        QCOMPARE(dialog.preferences(), stored); // disabled controls included
        child<QCheckBox>(dialog, "showHintsCheck")->click();
        QVERIFY(dialog.showHints());
    }

    // From here on through the main window's Options button, with the real settings files.

    void okWritesBothFilesAlsoWithoutSavingOnExit() {
        QVERIFY(start());
        QVERIFY(f_->settings.preferences.saveIniOnClose);
        QVERIFY(!trayIconOf(window())->isActive());
        bool modalAndOwned = false;
        QVERIFY(runOptions([&](PreferencesDialog& dialog) {
            modalAndOwned = dialog.isModal() && dialog.parentWidget() == &window();
            child<QCheckBox>(dialog, "saveOnCloseCheck")->click();
            child<QRadioButton>(dialog, "totalShuffleRadio")->click();
            child<RadioGroup>(dialog, "iconGroup")->item(1)->click();
            return true;
        }));
        QVERIFY(modalAndOwned);
        QVERIFY(window().findChildren<PreferencesDialog*>().isEmpty()); // destroyed again
        QVERIFY(trayIconOf(window())->isActive()); // the placement takes effect at once
        QVERIFY(!f_->settings.preferences.saveIniOnClose);
        QVERIFY(registry().contains("\"dlgPreferences_cbSaveIni_Checked\"=dword:00000000"));
        QVERIFY(registry().contains("\"dlgPreferences_radIcon_ItemIndex\"=dword:00000001"));
        QVERIFY(registry().contains("\"dlgAutoCD_edFolder_Text\"=\"\"")); // all values
        const QByteArray ini = readBytes(iniPath());
        QVERIFY(ini.contains("grpShuffle_Tag=2\r\n"));
        QVERIFY(ini.contains("; kept by hand\r\n"));
        QVERIFY(f_->dialogs.records().isEmpty());
    }

    void storedZeroDelayIsSavedAsOne() {
        QVERIFY(start());
        QCOMPARE(f_->settings.preferences.autoPlayDelaySeconds, 0);
        int shown = -1;
        QVERIFY(runOptions([&](PreferencesDialog& dialog) {
            shown = child<QSpinBox>(dialog, "autoPlayDelaySpin")->value();
            return true;
        }));
        QCOMPARE(shown, 1);
        QCOMPARE(f_->settings.preferences.autoPlayDelaySeconds, 1);
        QVERIFY(readBytes(iniPath()).contains("spinAutoExecuteDelay_Value=1\r\n"));
    }

    void customCommandIsSavedWhenAnotherIsChosen() {
        QVERIFY(start());
        f_->settings.preferences.verb = PlayVerb::Custom;
        f_->settings.preferences.customVerb = QStringLiteral("Burn");
        QVERIFY(runOptions([](PreferencesDialog& dialog) {
            child<RadioGroup>(dialog, "verbGroup")->item(1)->click();
            return true;
        }));
        QVERIFY(registry().contains("\"dlgPreferences_radCommand_ItemIndex\"=dword:00000001"));
        QVERIFY(registry().contains("\"dlgCreatePL_edCommand_Text\"=\"Burn\""));
    }

    void cancelChangesNothingButReappliesTheIconPlacement() {
        writeBytes(ConfigLocations::userRegistryFile(),
                   "Windows Registry Editor Version 5.00\r\n\r\n"
                   "[HKEY_CURRENT_USER\\Software\\Varnholt\\Platterbox]\r\n"
                   "\"dlgPreferences_cbSaveIni_Checked\"=dword:00000000\r\n");
        const QByteArray registryBefore = registry();
        const QByteArray iniBefore = readBytes(iniPath());
        QVERIFY(start());
        QVERIFY(!trayIconOf(window())->isActive());
        // A placement changed behind the window's back is applied when the dialog closes.
        f_->settings.preferences.iconPlacement = IconPlacement::Both;
        const Preferences before = f_->settings.preferences;
        QVERIFY(runOptions([](PreferencesDialog& dialog) {
            for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
                box->click();
            child<RadioGroup>(dialog, "verbGroup")->item(3)->click();
            child<QLineEdit>(dialog, "customVerbEdit")->setText(QStringLiteral("Nothing"));
            child<RadioGroup>(dialog, "iconGroup")->item(0)->click();
            child<QRadioButton>(dialog, "totalShuffleRadio")->click();
            child<QSpinBox>(dialog, "closeDelaySpin")->setValue(99);
            return false;
        }));
        QCOMPARE(f_->settings.preferences, before);
        QVERIFY(f_->hints.enabled());
        QCOMPARE(registry(), registryBefore);
        QCOMPARE(readBytes(iniPath()), iniBefore);
        QVERIFY(trayIconOf(window())->isActive());
    }

    void clearingHintsStopsTooltipsAtOnce() {
        QVERIFY(start());
        QString tipBefore;
        QVERIFY(runOptions([&](PreferencesDialog& dialog) {
            tipBefore = TestSupport::tooltipShownBy(child<QCheckBox>(dialog, "saveOnCloseCheck"));
            child<QCheckBox>(dialog, "showHintsCheck")->click();
            return true;
        }));
        QVERIFY(tipBefore.startsWith(QLatin1String("If checked, preferences")));
        QVERIFY(!f_->hints.enabled());
        QVERIFY(registry().contains("\"dlgPreferences_cbShowHints_Checked\"=dword:00000000"));
        QCOMPARE(TestSupport::tooltipShownBy(buttonOf(window(), "executeButton")), QString());
        bool boxCleared = false;
        QString tipAfter = QStringLiteral("not asked");
        QVERIFY(runOptions([&](PreferencesDialog& dialog) {
            boxCleared = !child<QCheckBox>(dialog, "showHintsCheck")->isChecked();
            tipAfter = TestSupport::tooltipShownBy(child<QCheckBox>(dialog, "saveOnCloseCheck"));
            return false;
        }));
        QVERIFY(boxCleared);
        QCOMPARE(tipAfter, QString());
    }

    void refusedRegistryWriteIsReportedAndTheIniFileStillSaved() {
        QVERIFY(start());
        QDir().mkpath(ConfigLocations::configFolder());
        {
            TestSupport::ReadOnlyFolder guard(ConfigLocations::configFolder());
            QVERIFY(guard.effective());
            QVERIFY(runOptions([](PreferencesDialog& dialog) {
                child<QRadioButton>(dialog, "totalShuffleRadio")->click();
                return true;
            }));
        }
        QCOMPARE(f_->dialogs.messages(),
                 QStringList{QStringLiteral("Failed to set data for 'frmMain_Top'")});
        QCOMPARE(f_->settings.preferences.shuffleMode, ShuffleMode::Total); // in force for this run
        QVERIFY(readBytes(iniPath()).contains("grpShuffle_Tag=2\r\n"));
    }

    void unwritableIniFileIsReported() {
        QVERIFY(start());
        window().setCurrentIniPath(dir_.filePath(QStringLiteral("missing/Platterbox.Ini")));
        QVERIFY(runOptions([](PreferencesDialog& dialog) {
            child<QCheckBox>(dialog, "ignoreOtherCopiesCheck")->click();
            return true;
        }));
        QCOMPARE(f_->dialogs.messages(),
                 QStringList{QStringLiteral("Error saving initialization information!")});
        QVERIFY(f_->settings.preferences.ignoreOtherCopies);
        QVERIFY(registry().contains("\"dlgPreferences_cbIgnoreInstances_Checked\"=dword:00000001"));
    }
};

QTEST_MAIN(TestPreferences)
#include "tst_preferences.moc"
