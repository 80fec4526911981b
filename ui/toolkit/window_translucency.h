#pragma once

namespace qvpc::ui {

// Whether a translucent window shows what lies behind it. On X11 that takes a
// compositing manager, which owns the selection _NET_WM_CM_S<screen>; without
// one the X server shows every transparent pixel black. Wayland always
// composites, and the other platforms (the tests' offscreen one) draw
// translucent windows as they are. Asked when a window is made: a compositor
// that starts or stops later is not followed.
bool TranslucentWindowsShow();

}  // namespace qvpc::ui
