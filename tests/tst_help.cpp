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
        QCOMPARE(about.ProgramIcon->toolTip(), QStringLiteral("Version number: 1300"));
        QCOMPARE(about.tcText->currentIndex(), 0);
        const QStringList files = {QStringLiteral("instructions.txt"),
                                   QStringLiteral("history.txt"), QStringLiteral("plans.txt")};
        QCOMPARE(about.memoVisual->toPlainText(), resourceText(files.at(0)));
        for (int tab : {2, 1, 0}) {
            about.tcText->setCurrentIndex(tab);
            QVERIFY(resourceText(files.at(tab)).size() > 200);
            QCOMPARE(about.memoVisual->toPlainText(), resourceText(files.at(tab)));
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
        QScrollBar* scroll = about.memoVisual->verticalScrollBar();
        QTRY_VERIFY(scroll->maximum() > 4);
        scroll->setValue(scroll->maximum() / 2);
        const int position = scroll->value();
        about.btnClose->click();
        QVERIFY(!about.isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(alive); // closing only hides the window
        about.show();
        QCOMPARE(about.tcText->currentIndex(), 0);
        QCOMPARE(scroll->value(), position);

        about.tcText->setCurrentIndex(1);
        QTest::keyClick(&about, Qt::Key_Escape);
        QVERIFY(!about.isVisible());
        about.show();
        QCOMPARE(about.tcText->currentIndex(), 1);
        QCOMPARE(about.memoVisual->toPlainText(), about.tabText(HelpDialog::History));
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
        QCOMPARE(TestSupport::tooltipShownBy(about.ProgramIcon),
                 QStringLiteral("Version number: 1300"));
        hints.setEnabled(false);
        QCOMPARE(TestSupport::tooltipShownBy(about.ProgramIcon), QString());
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
