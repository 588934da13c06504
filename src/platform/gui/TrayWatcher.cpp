#include "TrayWatcher.h"
#include "XcbConnection.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QSystemTrayIcon>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdlib>
#include <memory>

namespace {

template <typename T> using Reply = std::unique_ptr<T, decltype(&free)>;

} // namespace

class TrayWatcher::X11Filter : public QAbstractNativeEventFilter {
public:
    X11Filter(TrayWatcher& watcher, xcb_connection_t* c) : watcher_(watcher), c_(c) {}
    ~X11Filter() override {
        if (installed_)
            qGuiApp->removeNativeEventFilter(this);
    }

    // False when the server lacks XFixes: the caller then keeps Qt's first answer.
    bool start() {
        const xcb_query_extension_reply_t* fixes = xcb_get_extension_data(c_, &xcb_xfixes_id);
        if (!fixes || !fixes->present)
            return false;
        notifyEvent_ = uint8_t(fixes->first_event + XCB_XFIXES_SELECTION_NOTIFY);
        // Qt has already agreed on a version on this connection (for the clipboard); asking
        // again is harmless and keeps the selection request valid on its own.
        const auto versionCookie = xcb_xfixes_query_version(c_, 1, 0);
        // The tray of the screen named in DISPLAY: each screen has its own manager selection.
        int screenNumber = 0;
        char* host = nullptr;
        int display = 0;
        if (xcb_parse_display(nullptr, &host, &display, &screenNumber))
            free(host);
        else
            screenNumber = 0;
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c_));
        for (int i = 0; i < screenNumber && screens.rem > 1; ++i)
            xcb_screen_next(&screens);
        const xcb_window_t root = screens.data->root;
        const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(screenNumber);
        const auto atomCookie = xcb_intern_atom(c_, 0, uint16_t(name.size()), name.constData());
        Reply<xcb_xfixes_query_version_reply_t> version(
            xcb_xfixes_query_version_reply(c_, versionCookie, nullptr), &free);
        Reply<xcb_intern_atom_reply_t> atom(xcb_intern_atom_reply(c_, atomCookie, nullptr), &free);
        if (!version || !atom)
            return false;
        selection_ = atom->atom;
        qGuiApp->installNativeEventFilter(this);
        installed_ = true;
        xcb_xfixes_select_selection_input(
            c_, root, selection_,
            XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
        // Asked after the selection is watched, so no change falls between the two.
        watcher_.setAvailable(hasOwner());
        return true;
    }

    bool hasOwner() const {
        Reply<xcb_get_selection_owner_reply_t> owner(
            xcb_get_selection_owner_reply(c_, xcb_get_selection_owner(c_, selection_), nullptr),
            &free);
        return owner && owner->owner != XCB_NONE;
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != notifyEvent_)
            return false;
        const auto* notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event);
        if (notify->selection != selection_)
            return false;
        // The server keeps reporting to this connection for an earlier watcher too, so a
        // notification may predate the first look: the owner now is asked, not the event's.
        watcher_.setAvailable(hasOwner());
        return false;
    }

private:
    TrayWatcher& watcher_;
    xcb_connection_t* c_;
    xcb_atom_t selection_ = XCB_NONE;
    uint8_t notifyEvent_ = 0;
    bool installed_ = false;
};

TrayWatcher::TrayWatcher(QObject* owner) : QObject(owner) {}

TrayWatcher::~TrayWatcher() = default;

void TrayWatcher::start() {
    if (filter_)
        return;
    if (xcb_connection_t* c = xcbConnection()) {
        filter_ = std::make_unique<X11Filter>(*this, c);
        if (filter_->start())
            return;
        filter_.reset();
    }
    setAvailable(QSystemTrayIcon::isSystemTrayAvailable());
}

void TrayWatcher::setAvailable(bool available) {
    if (available == available_)
        return;
    available_ = available;
    Q_EMIT availabilityChanged(available);
}
