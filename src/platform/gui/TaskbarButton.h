#pragma once

class QWidget;

// Whether a window has a button in the desktop's task bar (and pager). On X11 this is the
// EWMH state _NET_WM_STATE_SKIP_TASKBAR; elsewhere (offscreen, Wayland) nothing can be done
// and the calls do nothing.
namespace TaskbarButton {

bool isSupported();
void setVisible(QWidget* window, bool visible);
// Reads the state back from the window (X11 only; true elsewhere).
bool isVisible(QWidget* window);

} // namespace TaskbarButton
