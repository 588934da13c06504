#pragma once

#include <QObject>
#include <QPoint>

class WindowServices;
class QMenu;
class QTimer;
class QWidget;
class TrayIcon;
class TrayWatcher;
enum class IconPlacement : qint32;

// Where the program shows itself (taskbar button, tray icon or both), minimising, hiding and
// restoring the window, auto-play after a start or a hand-off, and the timed close after it.
class PresencePart : public QObject {
    Q_OBJECT
public:
    explicit PresencePart(WindowServices& window);
    ~PresencePart() override;

    // Tray icon and taskbar button as the icon placement setting wants them.
    void applyIconPlacement();
    // The window's state changed (minimised or back).
    void windowStateChanged(Qt::WindowStates oldState);
    // The user brings the window back: shown, in front, and a pending timed close cancelled.
    void restore();
    // Auto-play runs once the message loop is going.
    void startAutoPlay();
    bool trayShown() const;
    // The window is in the tray: hidden by a minimise or the auto-play hide, not closed.
    bool inTray() const { return inTray_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // In the tray placement no window of the program may have a taskbar button: each one
    // shown is kept off it and made transient for the main window.
    void placeOwnedWindow(QWidget& shown);
    // After a modal window of the program has closed, the main window is active again.
    void takeFocusBack();
    void createTrayIcon();
    void createTrayMenu();
    void autoPlay();
    // Minimising waits (up to about two seconds) for the window to be on the screen.
    void hideOrMinimiseAfterAutoPlay(int triesLeft = 40);
    IconPlacement placement() const;
    // The placement in effect: "System Tray" acts like "Taskbar" while no tray is there, so
    // the window always keeps a way back.
    IconPlacement effectivePlacement() const;
    void moveToTray();
    // A tray host came or went.
    void trayChanged(bool available);

    WindowServices& window_;
    TrayIcon* trayIcon_ = nullptr;
    QMenu* trayMenu_ = nullptr;
    QTimer* autoPlayTimer_ = nullptr;
    QTimer* closeTimer_ = nullptr;
    TrayWatcher* trayWatch_ = nullptr;
    bool trayAvailable_ = false;
    bool inTray_ = false;
    // The window is being taken from the taskbar to the tray: not a restore by the user.
    bool movingToTray_ = false;
};
