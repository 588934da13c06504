#pragma once

class QPoint;
class QWidget;

// The corner of a top-level window's frame, which is where the window is kept: the title bar
// comes back where the user left it, whatever the window manager's frame is like.
namespace WindowFrame {

// Before the first show: the window manager is asked to put the frame's corner there, not the
// window's inside.
void placeAt(QWidget& window, const QPoint& corner);
// The frame's corner now. On X11 it is read from the window manager's frame extents, which Qt
// may not have heard of yet; elsewhere it is Qt's own position.
QPoint corner(const QWidget& window);

} // namespace WindowFrame
