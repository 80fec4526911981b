#pragma once

#include "base/app_management_views.h"
#include "base/catalog_views.h"
#include "base/device_list_view.h"
#include "base/dialogs.h"
#include "base/page_view.h"
#include "base/popup_view.h"
#include "base/socket_watch.h"
#include "base/window_loop.h"

namespace qvpc {

// Everything the core asks of the screen, by role; each part of the core
// takes only the roles it uses. One object implements them all: the Qt
// screen in the program, a recording fake in tests. Every operation may be
// called from any thread: the implementation carries it to the
// user-interface thread and, where an answer is needed, blocks the caller
// until it has one.
class Screen : public PageView,
               public Dialogs,
               public PopupView,
               public DeviceListView,
               public CatalogView,
               public CatalogGridView,
               public CatalogPagerView,
               public InstalledAppsView,
               public WindowLoop,
               public SocketWatch {};

}  // namespace qvpc
