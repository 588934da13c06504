#pragma once

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QSystemTrayIcon>

#include <functional>

class QMenu;

// The program's icon in the notification area, with its tip, clicks and optional menu. Where
// the desktop has no notification area the component still keeps its state and does nothing.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxToolTipLength = 62;

    explicit TrayIcon(QObject* owner = nullptr);
    ~TrayIcon() override;

    bool Active() const { return active_; }
    void setActive(bool active);
    // Has no effect at run time; kept for the component's published state.
    bool ShowDesigning = false;
    const QIcon& Icon() const { return icon_; }
    void setIcon(const QIcon& icon);
    const QString& ToolTip() const { return toolTip_; }
    void setToolTip(const QString& toolTip);
    QMenu* PopupMenu = nullptr; // not owned

    std::function<void(TrayIcon*)> clicked;
    std::function<void(TrayIcon*)> doubleClicked;
    std::function<void(TrayIcon*, Qt::MouseButton, Qt::KeyboardModifiers, QPoint)> rightClicked;

    // True while the icon really sits in a notification area.
    bool isShown() const;
    // What the notification area reports; public so a click can be replayed.
    void handleActivation(QSystemTrayIcon::ActivationReason reason);

private:
    void rightClick();
    void refresh();

    QSystemTrayIcon tray_;
    bool active_ = false;
    QIcon icon_;
    QString toolTip_;
};
