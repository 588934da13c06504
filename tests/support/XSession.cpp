#include "XSession.h"

#include <QElapsedTimer>
#include <QStandardPaths>
#include <QThread>

#include <functional>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {
template <typename T> using Reply = std::unique_ptr<T, decltype(&free)>;

bool installed(const char* program) {
    return !QStandardPaths::findExecutable(QLatin1String(program)).isEmpty();
}
} // namespace

XSession::XSession() {
    for (const char* program : {"Xvfb", "openbox"})
        if (!installed(program)) {
            problem_ = QLatin1String(program) + QLatin1String(" is not installed");
            return;
        }
    if (!startServer() || !startWindowManager()) {
        if (connection_)
            xcb_disconnect(connection_);
        connection_ = nullptr;
        return;
    }
    qputenv("DISPLAY", display_.toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "xcb");
}

XSession::~XSession() {
    stopTrayHost();
    for (auto* process : {windowManager_.get(), server_.get()}) {
        if (!process)
            continue;
        process->terminate();
        if (!process->waitForFinished(3000))
            process->kill();
        process->waitForFinished(1000);
    }
    if (connection_)
        xcb_disconnect(connection_);
}

std::unique_ptr<QProcess> XSession::start(const QString& program, const QStringList& arguments) {
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!display_.isEmpty())
        environment.insert(QStringLiteral("DISPLAY"), display_);
    process->setProcessEnvironment(environment);
    process->setProcessChannelMode(QProcess::SeparateChannels);
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start(program, arguments);
    return process;
}

bool XSession::waitFor(const std::function<bool()>& condition, int timeoutMs) const {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QThread::msleep(20);
    }
    return true;
}

bool XSession::startServer() {
    // The server picks a free display itself and writes its number to standard output.
    server_ = start(QStringLiteral("Xvfb"),
                    {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                     QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                     QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    QByteArray number;
    while (!number.contains('\n') && server_->waitForReadyRead(10000))
        number += server_->readAllStandardOutput();
    if (!number.contains('\n')) {
        problem_ = QStringLiteral("Xvfb did not start");
        return false;
    }
    display_ = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    connection_ = xcb_connect(display_.toLocal8Bit().constData(), nullptr);
    if (xcb_connection_has_error(connection_)) {
        problem_ = QStringLiteral("cannot connect to Xvfb on ") + display_;
        return false;
    }
    return true;
}

bool XSession::startWindowManager() {
    windowManager_ = start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    if (!waitFor(
            [&] { return !property(root, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW).isEmpty(); },
            10000)) {
        problem_ = QStringLiteral("openbox did not start");
        return false;
    }
    return true;
}

bool XSession::startTrayHost() {
    if (!isRunning())
        return false;
    if (installed("trayer"))
        trayHost_ =
            start(QStringLiteral("trayer"),
                  {QStringLiteral("--edge"), QStringLiteral("bottom"), QStringLiteral("--align"),
                   QStringLiteral("right"), QStringLiteral("--widthtype"),
                   QStringLiteral("request"), QStringLiteral("--height"), QStringLiteral("24"),
                   QStringLiteral("--SetDockType"), QStringLiteral("true")});
    else if (installed("stalonetray"))
        trayHost_ = start(QStringLiteral("stalonetray"), {});
    else
        return false;
    return waitFor([this] { return selectionOwner("_NET_SYSTEM_TRAY_S0") != 0; }, 10000);
}

void XSession::stopTrayHost() {
    if (!trayHost_)
        return;
    trayHost_->terminate();
    if (!trayHost_->waitForFinished(3000))
        trayHost_->kill();
    trayHost_->waitForFinished(1000);
    trayHost_.reset();
    waitFor([this] { return selectionOwner("_NET_SYSTEM_TRAY_S0") == 0; }, 3000);
}

unsigned XSession::atom(const char* name) const {
    Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, uint16_t(strlen(name)), name), nullptr),
        &free);
    return reply ? reply->atom : 0;
}

unsigned XSession::selectionOwner(const char* name) const {
    Reply<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(connection_, xcb_get_selection_owner(connection_, atom(name)),
                                      nullptr),
        &free);
    return reply ? reply->owner : 0;
}

QByteArray XSession::property(unsigned window, const char* name, unsigned type) const {
    Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection_,
                               xcb_get_property(connection_, 0, window, atom(name), type, 0, 4096),
                               nullptr),
        &free);
    if (!reply || reply->type == XCB_ATOM_NONE)
        return {};
    return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                      xcb_get_property_value_length(reply.get()));
}

int XSession::wmState(unsigned window) const {
    const QByteArray value = property(window, "WM_STATE", atom("WM_STATE"));
    if (value.size() < int(sizeof(uint32_t)))
        return -1;
    uint32_t state = 0;
    memcpy(&state, value.constData(), sizeof state);
    return int(state);
}

QByteArrayList XSession::netWmState(unsigned window) const {
    const QByteArray value = property(window, "_NET_WM_STATE", XCB_ATOM_ATOM);
    QByteArrayList names;
    for (qsizetype at = 0; at + 4 <= value.size(); at += 4) {
        xcb_atom_t a = 0;
        memcpy(&a, value.constData() + at, 4);
        Reply<xcb_get_atom_name_reply_t> reply(
            xcb_get_atom_name_reply(connection_, xcb_get_atom_name(connection_, a), nullptr),
            &free);
        if (reply)
            names << QByteArray(xcb_get_atom_name_name(reply.get()),
                                xcb_get_atom_name_name_length(reply.get()));
    }
    return names;
}

namespace {
QList<uint32_t> words(const QByteArray& value) {
    QList<uint32_t> result(value.size() / 4);
    memcpy(result.data(), value.constData(), size_t(result.size()) * 4);
    return result;
}
} // namespace

QList<unsigned> XSession::clientWindows(qint64 processId) const {
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    QList<unsigned> windows;
    for (uint32_t window : words(property(root, "_NET_CLIENT_LIST", XCB_ATOM_WINDOW)))
        if (words(property(window, "_NET_WM_PID", XCB_ATOM_CARDINAL)).value(0) == processId)
            windows << window;
    return windows;
}

unsigned XSession::activeWindow() const {
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    return words(property(root, "_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW)).value(0);
}

unsigned XSession::transientFor(unsigned window) const {
    return words(property(window, "WM_TRANSIENT_FOR", XCB_ATOM_WINDOW)).value(0);
}

QRect XSession::frameRect(unsigned window) const {
    // The frame is the ancestor just below the root.
    xcb_window_t frame = window;
    for (;;) {
        Reply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(connection_, xcb_query_tree(connection_, frame), nullptr), &free);
        if (!tree)
            return {};
        if (tree->parent == tree->root)
            break;
        frame = tree->parent;
    }
    Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, frame), nullptr), &free);
    if (!geometry)
        return {};
    const int border = geometry->border_width;
    return QRect(geometry->x, geometry->y, geometry->width + 2 * border,
                 geometry->height + 2 * border);
}

QString XSession::title(unsigned window) const {
    const QByteArray name = property(window, "_NET_WM_NAME", atom("UTF8_STRING"));
    if (!name.isEmpty())
        return QString::fromUtf8(name);
    return QString::fromLatin1(property(window, "WM_NAME", XCB_ATOM_STRING));
}

void XSession::closeWindow(unsigned window) const {
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    xcb_client_message_event_t event = {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom("_NET_CLOSE_WINDOW");
    event.data.data32[0] = XCB_CURRENT_TIME;
    event.data.data32[1] = 2; // a pager, which acts for the user
    xcb_send_event(connection_, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(connection_);
}
