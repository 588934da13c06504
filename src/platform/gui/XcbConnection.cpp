#include "XcbConnection.h"

#include <QGuiApplication>

#include <cstdlib>
#include <cstring>
#include <memory>

xcb_connection_t* xcbConnection() {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t xcbAtom(xcb_connection_t* c, const char* name, bool onlyIfExists) {
    const auto cookie = xcb_intern_atom(c, onlyIfExists, uint16_t(std::strlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> reply(
        xcb_intern_atom_reply(c, cookie, nullptr), &free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}
