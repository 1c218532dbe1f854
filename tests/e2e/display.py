"""The app's window as the display server shows it, and the keyboard and pointer that reach it.

X11: Xvfb without a window manager. The walk places the window itself (xdotool) and reads what the
app asked a window manager for from wmstate.py's log.

Wayland: weston with its x11 backend on that same X display. Key presses and pointer moves on the X
display reach weston's window, and weston hands them to the client it has focused, as a seat
would. What the compositor made of the app's window (where, how big, full screen or maximised) is
weston's scene graph, read with weston-debug. No client may place another's window, so the walk
resizes it with the compositor's own pointer binding; where the window goes is weston's choice,
and only its size and state are checked.
"""
import json
import os
import re
import subprocess
import time

# Where the walk puts the window (x, y, width, height): the next start must bring it back there.
PLACE = (40, 30, 1100, 700)


def xdotool(*args):
    return subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True, check=True).stdout


class X11Display:
    def __init__(self, pid, window_size):
        self.pid = pid

    def keys(self, *names):
        """Key presses on the X display, as the keyboard would send them to the focused window."""
        xdotool("key", "--delay", 80, *names)
        time.sleep(0.3)

    def type(self, text):
        xdotool("type", "--delay", 30, text)

    def focus(self):
        xdotool("windowfocus", self.window())

    def window(self):
        """The X id of the app's shown window."""
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.pid)],
                               capture_output=True, text=True).stdout.split()
        if not found:
            raise RuntimeError("the app shows no window on the X display")
        return found[0]

    def geometry(self):
        values = dict(line.split("=", 1) for line in xdotool("getwindowgeometry", "--shell", self.window()).split())
        return tuple(int(values[key]) for key in ("X", "Y", "WIDTH", "HEIGHT"))

    def place(self):
        xdotool("windowsize", self.window(), *PLACE[2:])
        xdotool("windowmove", self.window(), *PLACE[:2])

    def in_place(self):
        return self.geometry() == PLACE

    def full_screen(self):
        """What the window last asked the window manager (there is none to grant it): True for
        full screen, False for giving it up, None before either."""
        window, last = int(self.window(), 0), None
        with open(os.environ["NORVANE_E2E_WMSTATE_LOG"]) as log:
            for request in map(json.loads, log):
                if request["window"] == window and "_NET_WM_STATE_FULLSCREEN" in request["states"]:
                    last = {"add": True, "remove": False}.get(request["action"])
        return last


class WaylandDisplay(X11Display):
    # The desktop shell's layers: full-screen windows above all others, ordinary ones below.
    FULL_SCREEN_LAYER, WINDOW_LAYER = 0xB0000000, 0x50000000

    def __init__(self, pid, window_size):
        super().__init__(pid, window_size)
        # The window's own size (without the frame Qt draws around it), from the accessibility tree.
        self.window_size = window_size

    def focus(self):
        pass  # weston gives the keyboard to the window it last activated: the app's

    def scene(self):
        """(layer, (x1, y1, x2, y2)) of the app's top-level window in weston's scene graph, or
        None while it shows none; and the output's rectangle."""
        graph = subprocess.run(["weston-debug", "scene-graph"], capture_output=True, text=True,
                               timeout=10).stdout
        layer, view, output, found = 0, False, None, None
        for line in graph.splitlines():
            if match := re.match(r"Layer \d+ \(pos (0x[0-9a-f]+)\)", line):
                layer = int(match[1], 16)
            elif match := re.match(r"\s+View \d+ \(role ([^,]+), PID (\d+),", line):
                view = match[1] == "xdg_toplevel" and int(match[2]) == self.pid
            elif match := re.match(r"\s+position: \((-?\d+), (-?\d+)\) -> \((-?\d+), (-?\d+)\)", line):
                box = tuple(map(int, match.groups()))
                if output is None:
                    output = box
                elif view and found is None:
                    found = (layer, box)
        return found, output

    def place(self):
        """Super and the right button dragged from the window's lower right part resize it from
        that corner by as much as the pointer moves."""
        (_, (x1, y1, x2, y2)), output = self.scene()
        x, y = min(x2, output[2]) - 60, min(y2, output[3]) - 60
        width, height = self.window_size()
        xdotool("mousemove", x, y, "keydown", "super", "mousedown", 3,
                "mousemove", x + PLACE[2] - width, y + PLACE[3] - height,
                "mouseup", 3, "keyup", "super")

    def in_place(self):
        view, output = self.scene()
        return view is not None and view[0] == self.WINDOW_LAYER and view[1] != output \
            and self.window_size() == PLACE[2:]

    def full_screen(self):
        view, output = self.scene()
        return view is not None and view[0] == self.FULL_SCREEN_LAYER and view[1] == output

    def maximised(self):
        view, output = self.scene()
        return view is not None and view[0] == self.WINDOW_LAYER and view[1] == output

    def toggle_maximised(self):
        """The desktop shell's own key for maximising the active window and back."""
        self.keys("super+shift+m")
