#pragma once

#include <QObject>
#include <QPoint>

class MainWindow;
class QMenu;
class QTimer;
class TrayIcon;

// Where the program shows itself (taskbar button, tray icon or both), minimising, hiding and
// restoring the window, auto-play after a start or a hand-off, and the timed close after it.
class PresencePart : public QObject {
    Q_OBJECT
public:
    explicit PresencePart(MainWindow& window);
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

private:
    void createTrayIcon();
    void createTrayMenu();
    void autoPlay();
    void hideOrMinimiseAfterAutoPlay();
    int placement() const;

    MainWindow& window_;
    TrayIcon* trayIcon_ = nullptr;
    QMenu* trayMenu_ = nullptr;
    QTimer* autoPlayTimer_ = nullptr;
    QTimer* closeTimer_ = nullptr;
    // The window is being taken from the taskbar to the tray: not a restore by the user.
    bool movingToTray_ = false;
};
