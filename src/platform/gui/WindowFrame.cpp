#include "WindowFrame.h"
#include "XcbConnection.h"

#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <memory>
#include <optional>

namespace {

// _NET_FRAME_EXTENTS as left and top; none before the window manager has framed the window.
std::optional<QPoint> frameExtents(const QWidget& window) {
    xcb_connection_t* c = xcbConnection();
    if (!c || !window.internalWinId())
        return std::nullopt;
    const xcb_atom_t extents = xcbAtom(c, "_NET_FRAME_EXTENTS", true);
    if (extents == XCB_ATOM_NONE)
        return std::nullopt;
    std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> reply(
        xcb_get_property_reply(c,
                               xcb_get_property(c, 0, xcb_window_t(window.internalWinId()), extents,
                                                XCB_ATOM_CARDINAL, 0, 4),
                               nullptr),
        &free);
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 16)
        return std::nullopt;
    const auto* sides = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    return QPoint(int(sides[0]), int(sides[2])); // left, right, top, bottom
}

} // namespace

namespace WindowFrame {

void placeAt(QWidget& window, const QPoint& corner) {
    window.move(corner);
    if (!xcbConnection())
        return;
    // Qt takes a position given before the frame is known for the inside's, so the frame would
    // land above and left of the corner: once the window manager has framed the window, the
    // inside goes where the frame's corner is at its place.
    auto* look = new QTimer(&window);
    look->setInterval(20);
    QObject::connect(look, &QTimer::timeout, &window, [&window, look, corner, tries = 0]() mutable {
        const std::optional<QPoint> extents = frameExtents(window);
        if (window.isVisible() && extents) {
            if (window.geometry().topLeft() != corner + *extents)
                window.setGeometry(QRect(corner + *extents, window.size()));
        } else if (++tries < 250) {
            return;
        }
        look->deleteLater();
        look->stop();
    });
    look->start();
}

QPoint corner(const QWidget& window) {
    if (const std::optional<QPoint> extents = frameExtents(window); extents && window.isVisible())
        return window.geometry().topLeft() - *extents;
    return window.pos();
}

} // namespace WindowFrame
