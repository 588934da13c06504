#include "TestSupport.h"
#include "settings/gui/HintSwitch.h"
#include "settings/gui/HelpDialog.h"

#include <QFile>
#include <QHelpEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabBar>
#include <QToolTip>
#include <QtTest>

namespace {

QString resourceText(const QString& name) {
    QFile file(QLatin1String(":/help/") + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A control of the window, found by its object name.
template <class Control> Control* child(QWidget& window, const char* name) {
    return window.findChild<Control*>(QLatin1String(name));
}

} // namespace

// The help window: its texts, and that it lives on, modeless, between showings.
class TestHelp : public QObject {
    Q_OBJECT

    TestSupport::IsolatedEnvironment env_;

private Q_SLOTS:
    void tabsShowTheirTexts() {
        HelpDialog about(nullptr);
        QCOMPARE(about.windowTitle(), QStringLiteral("Platterbox Help"));
        QVERIFY(!about.isModal());
        QCOMPARE(about.minimumSize(), about.maximumSize());
        QCOMPARE(child<QLabel>(about, "programIcon")->toolTip(),
                 QStringLiteral("Version number: 1300"));
        QCOMPARE(child<QTabBar>(about, "textTabs")->currentIndex(), 0);
        const QStringList files = {QStringLiteral("instructions.txt"),
                                   QStringLiteral("history.txt"), QStringLiteral("plans.txt")};
        QCOMPARE(child<QPlainTextEdit>(about, "textView")->toPlainText(),
                 resourceText(files.at(0)));
        for (int tab : {2, 1, 0}) {
            child<QTabBar>(about, "textTabs")->setCurrentIndex(tab);
            QVERIFY(resourceText(files.at(tab)).size() > 200);
            QCOMPARE(child<QPlainTextEdit>(about, "textView")->toPlainText(),
                     resourceText(files.at(tab)));
        }
    }

    void instructionsNameWhereSettingsAreKept() {
        const QString text = resourceText(QStringLiteral("instructions.txt"));
        for (const char* phrase :
             {"$XDG_CONFIG_HOME/Platterbox/user.reg", "~/.config/Platterbox/user.reg", "system.reg",
              "\".Ini\" file beside the program"})
            QVERIFY2(text.contains(QLatin1String(phrase)), phrase);
    }

    void tabAndScrollPositionSurviveHidingAndShowing() {
        HelpDialog about(nullptr);
        QPointer<HelpDialog> alive(&about);
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QScrollBar* scroll = child<QPlainTextEdit>(about, "textView")->verticalScrollBar();
        QTRY_VERIFY(scroll->maximum() > 4);
        scroll->setValue(scroll->maximum() / 2);
        const int position = scroll->value();
        child<QPushButton>(about, "closeButton")->click();
        QVERIFY(!about.isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(alive); // closing only hides the window
        about.show();
        QCOMPARE(child<QTabBar>(about, "textTabs")->currentIndex(), 0);
        QCOMPARE(scroll->value(), position);

        child<QTabBar>(about, "textTabs")->setCurrentIndex(1);
        QTest::keyClick(&about, Qt::Key_Escape);
        QVERIFY(!about.isVisible());
        about.show();
        QCOMPARE(child<QTabBar>(about, "textTabs")->currentIndex(), 1);
        QCOMPARE(child<QPlainTextEdit>(about, "textView")->toPlainText(),
                 about.tabText(HelpDialog::History));
    }

    void modelessAndBroughtToTheFrontWhenShownAgain() {
        QWidget mainWindow;
        mainWindow.show();
        HelpDialog about(&mainWindow);
        about.show();
        QVERIFY(QTest::qWaitForWindowActive(&about));
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        // The first showing centres the window on the desktop.
        const QPoint centre = about.screen()->availableGeometry().center();
        QVERIFY((about.frameGeometry().center() - centre).manhattanLength() < 40);
        QWidget other; // another window takes the focus
        other.show();
        other.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &other);
        QVERIFY(about.isVisible());
        about.show(); // already visible: comes to the front
        QVERIFY(QTest::qWaitForWindowActive(&about));
    }

    void versionTooltipFollowsTheHintSwitch() {
        HintSwitch hints;
        HelpDialog about(nullptr);
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QCOMPARE(TestSupport::tooltipShownBy(child<QLabel>(about, "programIcon")),
                 QStringLiteral("Version number: 1300"));
        hints.setEnabled(false);
        QCOMPARE(TestSupport::tooltipShownBy(child<QLabel>(about, "programIcon")), QString());
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
