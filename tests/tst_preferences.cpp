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

// A record unlike the defaults in every field; auto-play is off, so its five controls are
// disabled.
Preferences unusualOptions() {
    Preferences o;
    o.verb = 2;
    o.iconPlacement = 1;
    o.autoPlayDelaySeconds = 17;
    o.closeDelaySeconds = 250;
    o.shuffleMode = 1;
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
                (act(*dialog) ? dialog->btnOK : dialog->btnCancel)->click();
            }
        });
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        guard.start(10000);
        buttonOf(window(), "btnOptions")->click();
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
        QVERIFY(dialog.lblGeneralOptions->font().bold() &&
                dialog.lblInstanceOptions->font().bold());
        QVERIFY(dialog.radIcon->geometry().bottom() < dialog.lblInstanceOptions->y());
        QVERIFY(dialog.btnOK->isDefault());
        // The custom command sits on the line of "Other:", right of it.
        const QRect other = dialog.radCommand->item(PreferencesDialog::OtherCommand)->geometry();
        QVERIFY(dialog.edCommand->x() > other.left());
        QVERIFY(qAbs(dialog.edCommand->geometry().center().y() - other.center().y()) < 8);
        // Items without a hint of their own show their group's hint.
        QCOMPARE(TestSupport::tooltipShownBy(dialog.radIcon->item(2)), dialog.radIcon->toolTip());
    }

    void tabOrder() {
        PreferencesDialog dialog;
        const QStringList components = {
            QStringLiteral("radCommand"), QStringLiteral("edCommand"),
            QStringLiteral("btnOK"),      QStringLiteral("btnCancel"),
            QStringLiteral("grpShuffle"), QStringLiteral("grpAutoExecute"),
            QStringLiteral("radIcon"),    QStringLiteral("grpMisc")};
        // Every focusable control counts as the component it belongs to.
        auto componentOf = [&](QWidget* widget) {
            for (; widget && widget != &dialog; widget = widget->parentWidget()) {
                if (components.contains(widget->objectName()))
                    return widget->objectName();
            }
            return QString();
        };
        QStringList visited;
        QWidget* first = dialog.radCommand->item(0);
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
        options.verb = stored;
        dialog.fill(options, hints_);
        if (clicked >= 0)
            dialog.radCommand->item(clicked)->click();
        QCOMPARE(dialog.radCommand->itemIndex(), index);
        QCOMPARE(dialog.edCommand->isEnabled(), index == PreferencesDialog::OtherCommand);
        dialog.copyBack(options, hints_);
        QCOMPARE(options.verb, index);
        QCOMPARE(options.customVerb, QStringLiteral("Burn")); // kept, also when disabled
    }

    void shuffleModeOnOpening_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("checked");
        QTest::addColumn<int>("tag");
        QTest::newRow("normal") << 0 << QStringLiteral("radShuffleNormal") << 0;
        QTest::newRow("partial") << 1 << QStringLiteral("radShufflePartial") << 1;
        QTest::newRow("total") << 2 << QStringLiteral("radShuffleTotal") << 2;
        QTest::newRow("unknown") << 5 << QStringLiteral("radShuffleNormal") << 0;
    }

    void shuffleModeOnOpening() {
        QFETCH(int, stored);
        QFETCH(QString, checked);
        QFETCH(int, tag);
        PreferencesDialog dialog;
        Preferences options = unusualOptions();
        options.shuffleMode = stored;
        dialog.fill(options, hints_);
        QVERIFY(dialog.findChild<QRadioButton*>(checked)->isChecked());
        QCOMPARE(dialog.grpShuffleTag(), tag);
        QCOMPARE(dialog.cbShufflePL->isEnabled(), tag == 1);
        QCOMPARE(dialog.cbShuffleWithinPL->isEnabled(), tag == 1);
        // Disabled or not, the boxes keep their check marks.
        QVERIFY(!dialog.cbShufflePL->isChecked() && dialog.cbShuffleWithinPL->isChecked());
    }

    void shuffleClicksSetTheTag() {
        PreferencesDialog dialog;
        dialog.fill(unusualOptions(), hints_);
        dialog.radShuffleTotal->click();
        QCOMPARE(dialog.grpShuffleTag(), 2);
        QVERIFY(!dialog.cbShufflePL->isEnabled());
        dialog.radShufflePartial->click();
        QVERIFY(dialog.cbShufflePL->isEnabled() && dialog.cbShuffleWithinPL->isEnabled());
        dialog.radShuffleClick(dialog.cbAutoExecute); // not a shuffle button: no new tag
        QCOMPARE(dialog.grpShuffleTag(), 1);
    }

    void autoPlayEnabling() {
        PreferencesDialog dialog;
        dialog.fill(unusualOptions(), hints_);
        const QList<QWidget*> below = {dialog.cbAutoExecuteDelay, dialog.spinAutoExecuteDelay,
                                       dialog.cbAutoExecuteHide, dialog.cbAutoExecuteClose,
                                       dialog.spinAutoExecuteCloseDelay};
        for (QWidget* control : below)
            QVERIFY2(!control->isEnabled(), qPrintable(control->objectName()));
        dialog.cbAutoExecute->click();
        for (QWidget* control : below)
            QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
        // The spin edits follow "Auto play on startup" only, not their own check boxes.
        QVERIFY(!dialog.cbAutoExecuteDelay->isChecked() && !dialog.cbAutoExecuteClose->isChecked());
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
        dialog.fill(options, hints_);
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QSpinBox* spin = dialog.spinAutoExecuteDelay;
        spin->setFocus();
        QTRY_VERIFY(spin->hasFocus());
        spin->selectAll();
        QTest::keyClick(spin, Qt::Key_Delete);
        QTest::keyClicks(spin, typed);
        dialog.cbSaveIni->setFocus();
        QTRY_VERIFY(!spin->hasFocus());
        QCOMPARE(spin->text(), QString::number(value));
        dialog.copyBack(options, hints_);
        QCOMPARE(options.autoPlayDelaySeconds, value);
    }

    void copyBackTakesEveryControl() {
        PreferencesDialog dialog;
        hints_.setEnabled(false);
        const Preferences stored = unusualOptions();
        dialog.fill(stored, hints_);
        QVERIFY(!dialog.cbShowHints->isChecked());
        Preferences copied;
        dialog.copyBack(copied, hints_);
        QCOMPARE(copied, stored); // disabled controls included
        dialog.cbShowHints->click();
        dialog.copyBack(copied, hints_);
        QVERIFY(hints_.enabled());
    }

    // From here on through the main window's Options button, with the real settings files.

    void okWritesBothFilesAlsoWithoutSavingOnExit() {
        QVERIFY(start());
        QVERIFY(f_->vars.preferences.saveIniOnClose);
        QVERIFY(!trayIconOf(window())->isActive());
        bool modalAndOwned = false;
        QVERIFY(runOptions([&](PreferencesDialog& dialog) {
            modalAndOwned = dialog.isModal() && dialog.parentWidget() == &window();
            dialog.cbSaveIni->click();
            dialog.radShuffleTotal->click();
            dialog.radIcon->item(1)->click();
            return true;
        }));
        QVERIFY(modalAndOwned);
        QVERIFY(window().findChildren<PreferencesDialog*>().isEmpty()); // destroyed again
        QVERIFY(trayIconOf(window())->isActive()); // the placement takes effect at once
        QVERIFY(!f_->vars.preferences.saveIniOnClose);
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
        QCOMPARE(f_->vars.preferences.autoPlayDelaySeconds, 0);
        int shown = -1;
        QVERIFY(runOptions([&](PreferencesDialog& dialog) {
            shown = dialog.spinAutoExecuteDelay->value();
            return true;
        }));
        QCOMPARE(shown, 1);
        QCOMPARE(f_->vars.preferences.autoPlayDelaySeconds, 1);
        QVERIFY(readBytes(iniPath()).contains("spinAutoExecuteDelay_Value=1\r\n"));
    }

    void customCommandIsSavedWhenAnotherIsChosen() {
        QVERIFY(start());
        f_->vars.preferences.verb = 3;
        f_->vars.preferences.customVerb = QStringLiteral("Burn");
        QVERIFY(runOptions([](PreferencesDialog& dialog) {
            dialog.radCommand->item(1)->click();
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
        f_->vars.preferences.iconPlacement = 2;
        const Preferences before = f_->vars.preferences;
        QVERIFY(runOptions([](PreferencesDialog& dialog) {
            for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
                box->click();
            dialog.radCommand->item(3)->click();
            dialog.edCommand->setText(QStringLiteral("Nothing"));
            dialog.radIcon->item(0)->click();
            dialog.radShuffleTotal->click();
            dialog.spinAutoExecuteCloseDelay->setValue(99);
            return false;
        }));
        QCOMPARE(f_->vars.preferences, before);
        QVERIFY(f_->hints.enabled());
        QCOMPARE(registry(), registryBefore);
        QCOMPARE(readBytes(iniPath()), iniBefore);
        QVERIFY(trayIconOf(window())->isActive());
    }

    void clearingHintsStopsTooltipsAtOnce() {
        QVERIFY(start());
        QString tipBefore;
        QVERIFY(runOptions([&](PreferencesDialog& dialog) {
            tipBefore = TestSupport::tooltipShownBy(dialog.cbSaveIni);
            dialog.cbShowHints->click();
            return true;
        }));
        QVERIFY(tipBefore.startsWith(QLatin1String("If checked, preferences")));
        QVERIFY(!f_->hints.enabled());
        QVERIFY(registry().contains("\"dlgPreferences_cbShowHints_Checked\"=dword:00000000"));
        QCOMPARE(TestSupport::tooltipShownBy(buttonOf(window(), "btnExecute")), QString());
        bool boxCleared = false;
        QString tipAfter = QStringLiteral("not asked");
        QVERIFY(runOptions([&](PreferencesDialog& dialog) {
            boxCleared = !dialog.cbShowHints->isChecked();
            tipAfter = TestSupport::tooltipShownBy(dialog.cbSaveIni);
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
                dialog.radShuffleTotal->click();
                return true;
            }));
        }
        QCOMPARE(f_->dialogs.messages(),
                 QStringList{QStringLiteral("Failed to set data for 'frmMain_Top'")});
        QCOMPARE(f_->vars.preferences.shuffleMode, 2); // in force for this run
        QVERIFY(readBytes(iniPath()).contains("grpShuffle_Tag=2\r\n"));
    }

    void unwritableIniFileIsReported() {
        QVERIFY(start());
        window().setCurrentIniPath(dir_.filePath(QStringLiteral("missing/Platterbox.Ini")));
        QVERIFY(runOptions([](PreferencesDialog& dialog) {
            dialog.cbIgnoreInstances->click();
            return true;
        }));
        QCOMPARE(f_->dialogs.messages(),
                 QStringList{QStringLiteral("Error saving initialization information!")});
        QVERIFY(f_->vars.preferences.ignoreOtherCopies);
        QVERIFY(registry().contains("\"dlgPreferences_cbIgnoreInstances_Checked\"=dword:00000001"));
    }
};

QTEST_MAIN(TestPreferences)
#include "tst_preferences.moc"
