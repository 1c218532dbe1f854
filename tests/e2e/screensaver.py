#!/usr/bin/python3
"""A stand-in on the session bus for the desktop's screen saver (org.freedesktop.ScreenSaver) or,
with --portal, the desktop portal's Inhibit (a request object per inhibition, closed to end it), as
Wayland desktops offer it. Writes the idle inhibitions it holds to a file after every change, so the
walk can check that playback holds one and that leaving it lets go.

    screensaver.py [--portal] <state file>
"""
import json
import os
import sys

from gi.repository import Gio, GLib

INTERFACES = Gio.DBusNodeInfo.new_for_xml("""
<node>
  <interface name="org.freedesktop.ScreenSaver">
    <method name="Inhibit"><arg direction="in" type="s"/><arg direction="in" type="s"/>
      <arg direction="out" type="u"/></method>
    <method name="UnInhibit"><arg direction="in" type="u"/></method>
  </interface>
  <interface name="org.freedesktop.portal.Inhibit">
    <method name="Inhibit"><arg direction="in" type="s"/><arg direction="in" type="u"/>
      <arg direction="in" type="a{sv}"/><arg direction="out" type="o"/></method>
  </interface>
  <interface name="org.freedesktop.portal.Request">
    <method name="Close"/>
  </interface>
</node>""").interfaces
# The portal's flag for "the session must not go idle" (the others are logout and suspend).
PORTAL_IDLE = 8


class StandIn:
    def __init__(self, state_path, bus):
        self.state_path, self.bus = state_path, bus
        self.held, self.inhibits = {}, 0
        self.write()

    def write(self):
        state = {"held": len(self.held), "inhibits": self.inhibits, "applications": sorted(set(self.held.values()))}
        with open(self.state_path + ".part", "w") as out:
            json.dump(state, out)
        # Renamed into place, so a reader never sees half a file.
        os.replace(self.state_path + ".part", self.state_path)

    def change(self, key, holder=None):
        if holder is None:
            self.held.pop(key, None)
        else:
            self.held[key] = holder
            self.inhibits += 1
        self.write()

    def screen_saver(self, connection, sender, path, interface, method, params, invocation):
        if method == "Inhibit":
            cookie = self.inhibits + 1
            invocation.return_value(GLib.Variant("(u)", (cookie,)))
            self.change(cookie, params.unpack()[0])
        else:
            invocation.return_value(None)
            self.change(params.unpack()[0])

    def portal(self, connection, sender, path, interface, method, params, invocation):
        window, flags, options = params.unpack()
        if not flags & PORTAL_IDLE:
            return invocation.return_dbus_error("org.freedesktop.portal.Error.InvalidArgument", f"flags {flags}")
        # The request's path, as the portal forms it from the caller's bus name and a token.
        token = options.get("handle_token") or f"norvane{self.inhibits + 1}"
        handle = f"/org/freedesktop/portal/desktop/request/{sender[1:].replace('.', '_')}/{token}"
        registration = self.bus.register_object(handle, INTERFACES[2], lambda *call: close(call[-1]))

        def close(invocation):
            self.bus.unregister_object(registration)
            invocation.return_value(None)
            self.change(handle)

        invocation.return_value(GLib.Variant("(o)", (handle,)))
        self.change(handle, sender)


def main():
    bus = Gio.bus_get_sync(Gio.BusType.SESSION)
    stand_in = StandIn(sys.argv[-1], bus)
    if sys.argv[1] == "--portal":
        bus.register_object("/org/freedesktop/portal/desktop", INTERFACES[1], stand_in.portal)
        name = "org.freedesktop.portal.Desktop"
    else:
        bus.register_object("/org/freedesktop/ScreenSaver", INTERFACES[0], stand_in.screen_saver)
        name = "org.freedesktop.ScreenSaver"
    Gio.bus_own_name_on_connection(bus, name, Gio.BusNameOwnerFlags.NONE)
    GLib.MainLoop().run()


if __name__ == "__main__":
    main()
