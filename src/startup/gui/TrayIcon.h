#pragma once

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QSystemTrayIcon>

// The program's icon in the notification area, with its tip and clicks. Where
// the desktop has no notification area the component still keeps its state and does nothing.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxToolTipLength = 62;

    explicit TrayIcon(QObject* owner = nullptr);
    ~TrayIcon() override;

    bool isActive() const { return active_; }
    void setActive(bool active);
    const QIcon& icon() const { return icon_; }
    void setIcon(const QIcon& icon);
    const QString& toolTip() const { return toolTip_; }
    void setToolTip(const QString& toolTip);

    // True while the icon really sits in a notification area.
    bool isShown() const;
    // What the notification area reports; public so a click can be replayed.
    void handleActivation(QSystemTrayIcon::ActivationReason reason);

Q_SIGNALS:
    void clicked();
    // Follows the click that a double click also is.
    void doubleClicked();
    // At the pointer's position on the screen.
    void rightClicked(const QPoint& position);

private:
    void refresh();

    QSystemTrayIcon tray_;
    bool active_ = false;
    QIcon icon_;
    QString toolTip_;
};
