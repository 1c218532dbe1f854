#!/usr/bin/python3
"""Listens on the X display for what a window manager would be asked to do with a window's state
(the _NET_WM_STATE client messages sent to the root window) and appends each request to a file,
one JSON object a line: {"window": id, "action": "add" | "remove" | "toggle", "states": [names]}.
The walk's Xvfb has no window manager; this lets it check that the app asks for full screen and
gives it up. It only listens: it changes nothing on the display.

    wmstate.py <log file>
"""
import json
import sys

from Xlib import X, display, error

ACTIONS = {0: "remove", 1: "add", 2: "toggle"}


def main():
    path = sys.argv[1]
    screen = display.Display()
    # Qt sends these with the structure-notify mask, any client may listen for that on the root.
    screen.screen().root.change_attributes(event_mask=X.StructureNotifyMask)
    wm_state = screen.intern_atom("_NET_WM_STATE")
    open(path, "w").close()
    while True:
        event = screen.next_event()
        if event.type != X.ClientMessage or event.client_type != wm_state:
            continue
        data = event.data[1]
        request = {
            "window": event.window.id,
            "action": ACTIONS.get(data[0], str(data[0])),
            "states": [screen.get_atom_name(atom) for atom in data[1:3] if atom],
        }
        with open(path, "a") as log:
            log.write(json.dumps(request) + "\n")


if __name__ == "__main__":
    try:
        main()
    except error.ConnectionClosedError:  # the display went away: the walk is over
        pass
