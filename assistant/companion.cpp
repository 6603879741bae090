#include "companion.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <cstring>

#include <xcb/xcb.h>

namespace {

xcb_atom_t atom(xcb_connection_t* connection, const char* name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, std::uint16_t(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t found = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return found;
}

// Before the window is mapped: the window manager reads the states then, and drops them when the
// window is hidden. Qt merges its own states with these when it maps the window.
void keepOutOfTaskbars(QWidget* window)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return;
    xcb_connection_t* connection = x11->connection();
    // Interned once: each is a round trip to the X server.
    static const xcb_atom_t property = atom(connection, "_NET_WM_STATE");
    static const xcb_atom_t states[] = {atom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                                        atom(connection, "_NET_WM_STATE_SKIP_PAGER")};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window->winId()), property,
                        XCB_ATOM_ATOM, 32, 2, states);
    xcb_flush(connection);
}

bool readPlacesWhereAsked()
{
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return false;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return true;
    xcb_connection_t* connection = x11->connection();
    const auto property = [connection](xcb_window_t window, xcb_atom_t name, xcb_atom_t type) {
        const xcb_get_property_cookie_t cookie =
            xcb_get_property(connection, 0, window, name, type, 0, 64);
        xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, cookie, nullptr);
        QByteArray value;
        if (reply)
            value = QByteArray(static_cast<const char*>(xcb_get_property_value(reply)),
                               xcb_get_property_value_length(reply));
        std::free(reply);
        return value;
    };
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const QByteArray check =
        property(root, atom(connection, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW);
    if (check.size() != sizeof(xcb_window_t))
        return true;
    xcb_window_t manager = 0;
    std::memcpy(&manager, check.constData(), sizeof manager);
    return property(manager, atom(connection, "_NET_WM_NAME"), atom(connection, "UTF8_STRING")) !=
           "Weston WM";
}

} // namespace

bool Companion::placesWhereAsked()
{
    // Read once per program: two round trips to the X server at every window built, a restart's
    // too, for an answer that stays while the program runs.
    static const bool places = readPlacesWhereAsked();
    return places;
}

Companion::Companion(QWidget* host, QObject* parent)
    : QObject(parent)
    , host_(host ? host->window() : nullptr)
{}

void Companion::attach(QWidget* window)
{
    if (!host_)
        return;
    const bool shown = window->isVisible();
    // Above the game alone, not above every other program.
    window->setWindowFlag(Qt::WindowStaysOnTopHint, false);
    // On X11 a window shown "without activating" carries the user time 0, which kwin answers by
    // marking it as demanding attention. It takes no focus anyway: it refuses the input focus.
    if (qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
        window->setAttribute(Qt::WA_ShowWithoutActivating, false);
    window->winId();
    if (QWindow* handle = window->windowHandle())
        handle->setTransientParent(host_->windowHandle());
    window->installEventFilter(this);
    if (shown)
        window->show();
}

bool Companion::eventFilter(QObject* watched, QEvent* event)
{
    auto* window = static_cast<QWidget*>(watched);
    // Sent before the window is mapped; not for one drawn inside the game for a while.
    if (event->type() == QEvent::Show && window->isWindow()) {
        // A window manager that minimised it with the game marked it so; mapped so marked, it
        // would take the game back down with it.
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        keepOutOfTaskbars(window);
    }
    return false;
}
