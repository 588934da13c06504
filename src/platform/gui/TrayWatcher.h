#pragma once

#include <QObject>

#include <memory>

// Whether a notification area (tray host) is there, followed by the display's own events rather
// than by asking again and again. On X11 the owner of the tray manager selection
// _NET_SYSTEM_TRAY_S<screen> is watched (XFixes selection-owner notifications); elsewhere the
// answer Qt gives at the first look stays, since nothing tells of a later change.
class TrayWatcher : public QObject {
    Q_OBJECT
public:
    explicit TrayWatcher(QObject* owner = nullptr);
    ~TrayWatcher() override;

    // Starts watching and takes the first look (two round trips to the X server).
    void start();
    bool isAvailable() const { return available_; }

Q_SIGNALS:
    void availabilityChanged(bool available);

private:
    class X11Filter;
    void setAvailable(bool available);

    std::unique_ptr<X11Filter> filter_;
    bool available_ = false;
};
