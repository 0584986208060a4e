#pragma once
// The program talks to a session bus only where the desktop already runs one.

namespace app {

// Where no session bus is running (DBUS_SESSION_BUS_ADDRESS unset and no bus
// socket at $XDG_RUNTIME_DIR/bus), D-Bus would start one of its own on first
// use, writing under HOME and leaving the daemon behind when the program
// ends. This gives the toolkit an address that cannot be reached instead, so
// its screen-reader bridge and menus go without a bus. Call before the
// QApplication is made. It does nothing on Windows, which has no session bus.
void keepToTheDesktopsSessionBus();

} // namespace app
