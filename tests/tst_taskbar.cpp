#include "platform/gui/TaskbarButton.h"

#include <QWidget>
#include <QtTest>

// The taskbar button state on a real X server (run under Xvfb); elsewhere the calls must do
// nothing and never fail.
class TestTaskbar : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void skipStateIsWrittenBeforeMapping() {
        QWidget window;
        if (QGuiApplication::platformName() == QLatin1String("xcb"))
            QVERIFY(TaskbarButton::isSupported());
        if (!TaskbarButton::isSupported()) {
            // Offscreen: no X11, nothing to set, and the window still works.
            TaskbarButton::setVisible(&window, false);
            QVERIFY(TaskbarButton::isVisible(&window));
            window.show();
            QVERIFY(window.isVisible());
            return;
        }
        TaskbarButton::setVisible(&window, false);
        QVERIFY(!TaskbarButton::isVisible(&window));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // Qt adds its own states on mapping and must keep ours.
        QVERIFY(!TaskbarButton::isVisible(&window));
        TaskbarButton::setVisible(&window, true);
        QVERIFY(TaskbarButton::isVisible(&window));
        QVERIFY(window.isVisible());
    }
};

QTEST_MAIN(TestTaskbar)
#include "tst_taskbar.moc"
