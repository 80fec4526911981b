#include "ui/toolkit/window_translucency.h"

#include <xcb/xcb.h>

#include <QByteArray>
#include <QGuiApplication>
#include <cstdlib>
#include <memory>

namespace qvpc::ui {
namespace {

// The replies of xcb are malloc'ed.
template <class Reply>
using XcbReply = std::unique_ptr<Reply, decltype(&std::free)>;

// The X screen the program's windows open on: the one $DISPLAY names.
int DisplayScreen() {
    char* host = nullptr;
    int display = 0;
    int screen = 0;
    if (!xcb_parse_display(nullptr, &host, &display, &screen)) {
        return 0;
    }
    std::free(host);
    return screen;
}

bool CompositorRuns(xcb_connection_t* connection) {
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(DisplayScreen());
    // Only if it exists: an atom nobody ever made has no owner either.
    const XcbReply<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 1, name.size(), name.constData()), nullptr),
        &std::free);
    if (!atom || atom->atom == XCB_ATOM_NONE) {
        return false;
    }
    const XcbReply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom),
                                      nullptr),
        &std::free);
    return owner && owner->owner != XCB_NONE;
}

}  // namespace

bool TranslucentWindowsShow() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        return true;
    }
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) {
        return true;
    }
    return CompositorRuns(x11->connection());
}

}  // namespace qvpc::ui
