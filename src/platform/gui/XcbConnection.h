#pragma once

#include <xcb/xcb.h>

// The program's X11 connection, or null where there is none (offscreen, Wayland).
xcb_connection_t* xcbConnection();
// The atom of a name; XCB_ATOM_NONE when it cannot be had (or, with onlyIfExists, when no
// client has made it yet).
xcb_atom_t xcbAtom(xcb_connection_t* c, const char* name, bool onlyIfExists = false);
