#!/usr/bin/python3
"""A stand-in for the desktop's screen saver on the session bus (org.freedesktop.ScreenSaver):
counts the idle inhibitions it holds and writes them to a file after every change, so the
walk can check that playback holds one and that leaving it lets go.

    screensaver.py <state file>
"""
import json
import os
import sys

from gi.repository import Gio, GLib

INTERFACE = """
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


class ScreenSaver:
    def __init__(self, state_path):
        self.state_path = state_path
        self.held = {}
        self.next_cookie = 1
        self.inhibits = 0
        self.write()

    def write(self):
        state = {"held": len(self.held), "inhibits": self.inhibits, "applications": sorted(set(self.held.values()))}
        with open(self.state_path + ".part", "w") as out:
            json.dump(state, out)
        # Renamed into place, so a reader never sees half a file.
        os.replace(self.state_path + ".part", self.state_path)

    def call(self, connection, sender, path, interface, method, params, invocation):
        if method == "Inhibit":
            cookie = self.next_cookie
            self.next_cookie += 1
            self.held[cookie] = params.unpack()[0]
            self.inhibits += 1
            invocation.return_value(GLib.Variant("(u)", (cookie,)))
        else:
            self.held.pop(params.unpack()[0], None)
            invocation.return_value(None)
        self.write()


def main():
    saver = ScreenSaver(sys.argv[1])
    node = Gio.DBusNodeInfo.new_for_xml(INTERFACE)
    bus = Gio.bus_get_sync(Gio.BusType.SESSION)
    bus.register_object("/org/freedesktop/ScreenSaver", node.interfaces[0], saver.call)
    Gio.bus_own_name_on_connection(bus, "org.freedesktop.ScreenSaver", Gio.BusNameOwnerFlags.NONE)
    GLib.MainLoop().run()


if __name__ == "__main__":
    main()
