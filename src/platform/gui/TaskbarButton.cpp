#include "TaskbarButton.h"
#include "XcbConnection.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <memory>

namespace {

struct SkipAtoms {
    xcb_atom_t state, skipTaskbar, skipPager;
};

SkipAtoms skipAtoms(xcb_connection_t* c) {
    return {xcbAtom(c, "_NET_WM_STATE"), xcbAtom(c, "_NET_WM_STATE_SKIP_TASKBAR"),
            xcbAtom(c, "_NET_WM_STATE_SKIP_PAGER")};
}

QList<xcb_atom_t> currentStates(xcb_connection_t* c, xcb_window_t window, xcb_atom_t state) {
    const auto cookie = xcb_get_property(c, 0, window, state, XCB_ATOM_ATOM, 0, 1024);
    std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> reply(
        xcb_get_property_reply(c, cookie, nullptr), &free);
    QList<xcb_atom_t> atoms;
    if (reply && reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
        const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
        const int count = xcb_get_property_value_length(reply.get()) / int(sizeof(xcb_atom_t));
        for (int i = 0; i < count; ++i)
            atoms << data[i];
    }
    return atoms;
}

// Before mapping, the window manager reads the property itself.
void writeStateProperty(xcb_connection_t* c, xcb_window_t window, const SkipAtoms& a,
                        bool visible) {
    QList<xcb_atom_t> atoms = currentStates(c, window, a.state);
    atoms.removeAll(a.skipTaskbar);
    atoms.removeAll(a.skipPager);
    if (!visible)
        atoms << a.skipTaskbar << a.skipPager;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, a.state, XCB_ATOM_ATOM, 32,
                        uint32_t(atoms.size()), atoms.constData());
}

// A mapped window asks the window manager through the root window.
void sendStateMessage(xcb_connection_t* c, xcb_window_t window, const SkipAtoms& a, bool visible) {
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_client_message_event_t event = {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = a.state;
    event.data.data32[0] = visible ? 0 : 1; // remove : add
    event.data.data32[1] = a.skipTaskbar;
    event.data.data32[2] = a.skipPager;
    event.data.data32[3] = 1; // a normal application
    xcb_send_event(c, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
}

// Window managers drop _NET_WM_STATE when a window is withdrawn, and may do so after the
// program has written it again for the next map: the request is repeated after every map.
class MapWatch : public QObject, public QAbstractNativeEventFilter {
public:
    explicit MapWatch(QWidget* window) : QObject(window), window_(window) {
        setObjectName(Name);
        qGuiApp->installNativeEventFilter(this);
    }
    static constexpr const char* Name = "taskbarMapWatch";
    ~MapWatch() override { qGuiApp->removeNativeEventFilter(this); }

    void setButtonVisible(bool visible) { visible_ = visible; }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t" || visible_ || !window_)
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_MAP_NOTIFY)
            return false;
        const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(event);
        if (!window_->internalWinId() || map->window != xcb_window_t(window_->internalWinId()))
            return false;
        if (xcb_connection_t* c = xcbConnection()) {
            sendStateMessage(c, map->window, skipAtoms(c), false);
            xcb_flush(c);
        }
        return false;
    }

private:
    QPointer<QWidget> window_;
    bool visible_ = true;
};

MapWatch* existingMapWatch(QWidget* window) {
    return dynamic_cast<MapWatch*>(
        window->findChild<QObject*>(QLatin1String(MapWatch::Name), Qt::FindDirectChildrenOnly));
}

} // namespace

namespace TaskbarButton {

bool isSupported() {
    return xcbConnection() != nullptr;
}

void setVisible(QWidget* window, bool visible) {
    xcb_connection_t* c = xcbConnection();
    if (!c || !window)
        return;
    MapWatch* watch = existingMapWatch(window);
    // Only a window that has been off the taskbar needs watching.
    if (!watch && !visible)
        watch = new MapWatch(window);
    if (watch)
        watch->setButtonVisible(visible);
    const SkipAtoms atoms = skipAtoms(c);
    const auto id = xcb_window_t(window->winId());
    // Nothing to do keeps a shown window from being hidden and shown again.
    if (currentStates(c, id, atoms.state).contains(atoms.skipTaskbar) != visible)
        return;
    // A widget is visible from its show event on, before its window is mapped.
    const QWindow* handle = window->windowHandle();
    if (!handle || !handle->isVisible()) {
        writeStateProperty(c, id, atoms, visible);
    } else if (!visible) {
        sendStateMessage(c, id, atoms, false);
    } else {
        // Some window managers ignore the removal on a mapped window: hide, clear, show.
        window->hide();
        writeStateProperty(c, id, atoms, true);
        window->show();
    }
    xcb_flush(c);
}

bool isVisible(QWidget* window) {
    xcb_connection_t* c = xcbConnection();
    if (!c || !window)
        return true;
    const SkipAtoms atoms = skipAtoms(c);
    return !currentStates(c, xcb_window_t(window->winId()), atoms.state)
                .contains(atoms.skipTaskbar);
}

} // namespace TaskbarButton
