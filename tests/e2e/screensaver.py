#!/usr/bin/python3
"""A stand-in on the session bus for what holds off the screen saver: the desktop's screen saver
itself (org.freedesktop.ScreenSaver, cookies), or with --portal the desktop portal's Inhibit
(org.freedesktop.portal.Desktop, one request object per inhibition, given back by closing it), as
Wayland desktops offer. Counts the idle inhibitions it holds and writes them to a file after every
change, so the walk can check that playback holds one and that leaving it lets go.

    screensaver.py [--portal] <state file>
"""
import json
import os
import sys

from gi.repository import Gio, GLib

SCREENSAVER = """
<node>
  <interface name="org.freedesktop.ScreenSaver">
    <method name="Inhibit">
      <arg direction="in" type="s" name="application"/>
      <arg direction="in" type="s" name="reason"/>
      <arg direction="out" type="u" name="cookie"/>
    </method>
    <method name="UnInhibit">
      <arg direction="in" type="u" name="cookie"/>
    </method>
  </interface>
</node>
"""

PORTAL = """
<node>
  <interface name="org.freedesktop.portal.Inhibit">
    <method name="Inhibit">
      <arg direction="in" type="s" name="window"/>
      <arg direction="in" type="u" name="flags"/>
      <arg direction="in" type="a{sv}" name="options"/>
      <arg direction="out" type="o" name="handle"/>
    </method>
  </interface>
  <interface name="org.freedesktop.portal.Request">
    <method name="Close"/>
  </interface>
</node>
"""
# The portal's flag for "the session must not go idle"; other flags (logout, suspend) do not keep
# the screen on.
PORTAL_IDLE = 8


class Inhibitions:
    def __init__(self, state_path):
        self.state_path = state_path
        self.held = {}
        self.inhibits = 0
        self.write()

    def write(self):
        state = {"held": len(self.held), "inhibits": self.inhibits, "applications": sorted(set(self.held.values()))}
        with open(self.state_path + ".part", "w") as out:
            json.dump(state, out)
        # Renamed into place, so a reader never sees half a file.
        os.replace(self.state_path + ".part", self.state_path)

    def take(self, key, holder):
        self.held[key] = holder
        self.inhibits += 1
        self.write()

    def give_back(self, key):
        self.held.pop(key, None)
        self.write()


class ScreenSaver(Inhibitions):
    def serve(self, bus):
        self.next_cookie = 1
        node = Gio.DBusNodeInfo.new_for_xml(SCREENSAVER)
        bus.register_object("/org/freedesktop/ScreenSaver", node.interfaces[0], self.call)
        return "org.freedesktop.ScreenSaver"

    def call(self, connection, sender, path, interface, method, params, invocation):
        if method == "Inhibit":
            cookie = self.next_cookie
            self.next_cookie += 1
            invocation.return_value(GLib.Variant("(u)", (cookie,)))
            self.take(cookie, params.unpack()[0])
        else:
            invocation.return_value(None)
            self.give_back(params.unpack()[0])


class Portal(Inhibitions):
    def serve(self, bus):
        self.bus = bus
        self.requests = 0
        self.node = Gio.DBusNodeInfo.new_for_xml(PORTAL)
        bus.register_object("/org/freedesktop/portal/desktop", self.node.interfaces[0], self.inhibit)
        return "org.freedesktop.portal.Desktop"

    def inhibit(self, connection, sender, path, interface, method, params, invocation):
        window, flags, options = params.unpack()
        if not flags & PORTAL_IDLE:
            invocation.return_dbus_error("org.freedesktop.portal.Error.InvalidArgument",
                                         f"flags {flags} do not ask to keep the session from idling")
            return
        # The request's path, as the portal forms it from the caller's bus name and a token.
        self.requests += 1
        token = options.get("handle_token") or f"norvane{self.requests}"
        handle = f"/org/freedesktop/portal/desktop/request/{sender[1:].replace('.', '_')}/{token}"
        registration = []
        registration.append(self.bus.register_object(
            handle, self.node.interfaces[1],
            lambda *call: self.close(handle, registration[0], call[-1])))
        invocation.return_value(GLib.Variant("(o)", (handle,)))
        self.take(handle, sender)

    def close(self, handle, registration, invocation):
        self.bus.unregister_object(registration)
        invocation.return_value(None)
        self.give_back(handle)


def main():
    portal = sys.argv[1] == "--portal"
    stand_in = (Portal if portal else ScreenSaver)(sys.argv[-1])
    bus = Gio.bus_get_sync(Gio.BusType.SESSION)
    Gio.bus_own_name_on_connection(bus, stand_in.serve(bus), Gio.BusNameOwnerFlags.NONE)
    GLib.MainLoop().run()


if __name__ == "__main__":
    main()
