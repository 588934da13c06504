#pragma once

#include <QByteArrayList>
#include <QProcess>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>

struct xcb_connection_t;

// A private X server with a window manager for tests that need what a real desktop does:
// frames, iconifying, withdrawing, and on request a system tray. Made before the QApplication:
// it points DISPLAY and QT_QPA_PLATFORM=xcb of this process at the new server.
class XSession {
public:
    XSession();
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    bool isRunning() const { return connection_ != nullptr; }
    // Why the session could not start (a program missing, the server failing).
    QString problem() const { return problem_; }

    // Starts or stops a tray host; true once it owns the tray selection.
    bool startTrayHost();
    void stopTrayHost();

    // ICCCM WM_STATE of a client window: 0 withdrawn, 1 normal, 3 iconic, -1 none.
    int wmState(unsigned window) const;
    // Names of the atoms in the window's _NET_WM_STATE.
    QByteArrayList netWmState(unsigned window) const;
    // The window manager's frame around a client window, in root coordinates.
    QRect frameRect(unsigned window) const;
    // The client windows the window manager lists (_NET_CLIENT_LIST) of one process.
    QList<unsigned> clientWindows(qint64 processId) const;
    // WM_TRANSIENT_FOR of a client window; 0 when it has none.
    unsigned transientFor(unsigned window) const;
    // The window the window manager has made active (_NET_ACTIVE_WINDOW); 0 when none.
    unsigned activeWindow() const;
    // The title the window manager shows (_NET_WM_NAME, else WM_NAME).
    QString title(unsigned window) const;
    // Asks the window manager to close a client window, as its close button does.
    void closeWindow(unsigned window) const;

private:
    bool startServer();
    bool startWindowManager();
    bool waitFor(const std::function<bool()>& condition, int timeoutMs) const;
    unsigned atom(const char* name) const;
    unsigned selectionOwner(const char* name) const;
    QByteArray property(unsigned window, const char* name, unsigned type) const;
    std::unique_ptr<QProcess> start(const QString& program, const QStringList& arguments);

    QString problem_;
    QString display_;
    std::unique_ptr<QProcess> server_;
    std::unique_ptr<QProcess> windowManager_;
    std::unique_ptr<QProcess> trayHost_;
    xcb_connection_t* connection_ = nullptr;
};
