"""The app's window as the display server shows it, and the keys and pointer that reach it.
X11: Xvfb without a window manager; the walk places the window (xdotool) and reads what the app
asked a window manager for in wmstate.py's log. Wayland: weston's x11 backend on that display hands
key presses and pointer moves to the client it has focused, and its scene graph (weston-debug)
tells where the app's window is and in which state; the walk resizes it with weston's own pointer
binding (no client may place another's window) and checks only its size and state."""
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

    def shown(self):
        """The X ids of the app's shown windows."""
        return subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.pid)],
                              capture_output=True, text=True).stdout.split()

    def window(self):
        found = self.shown()
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
    def __init__(self, pid, window_size):
        super().__init__(pid, window_size)
        self.window_size = window_size  # inside the frame Qt draws, from the accessibility tree

    def focus(self):  # weston gives the keyboard to the window it last activated: the app's
        pass

    def scene(self):
        """The rectangle (x1, y1, x2, y2) of the app's top-level window in weston's scene graph
        (None while it shows none), and the output's."""
        graph = subprocess.run(["weston-debug", "scene-graph"], capture_output=True, text=True,
                               timeout=10).stdout
        output, view, found = None, False, None
        for line in graph.splitlines():
            if match := re.match(r"\s+View \d+ \(role ([^,]+), PID (\d+),", line):
                view = match[1] == "xdg_toplevel" and int(match[2]) == self.pid
            elif match := re.match(r"\s+position: \((-?\d+), (-?\d+)\) -> \((-?\d+), (-?\d+)\)", line):
                box = tuple(map(int, match.groups()))
                if output is None:
                    output = box
                elif view and found is None:
                    found = box
        return found, output

    def shown(self):
        """How weston shows the window: "full screen" (the whole output, without a frame),
        "maximised" (the whole output, framed), "window" (less than that), or None. (Weston's
        layers would not tell: a window that leaves full screen stays in its layer.)"""
        view, output = self.scene()
        if view is None:
            return None
        if view != output:
            return "window"
        return "full screen" if self.window_size() == (output[2] - output[0], output[3] - output[1]) else "maximised"

    def place(self):
        """Super and the right button dragged from the window's lower right part resize it from
        that corner by as much as the pointer moves. Weston's x11 backend moves its pointer by
        how far the X pointer moved, and puts it where the X pointer is only when it enters
        weston's X window: the pointer first goes out of that window (the X screen is larger than
        weston's output) and comes back in where the drag starts."""
        (x1, y1, x2, y2), output = self.scene()
        x, y = min(x2, output[2]) - 60, min(y2, output[3]) - 60
        width, height = self.window_size()
        xdotool("mousemove", output[2] + 40, output[3] + 40, "sleep", 0.2, "mousemove", x, y, "sleep", 0.2,
                "keydown", "super", "mousedown", 3, "mousemove", x + PLACE[2] - width, y + PLACE[3] - height,
                "mouseup", 3, "keyup", "super")

    def in_place(self):
        return self.shown() == "window" and self.window_size() == PLACE[2:]

    def full_screen(self):
        return {"full screen": True, "window": False}.get(self.shown())

    def maximised(self):
        return self.shown() == "maximised"

    def toggle_maximised(self):
        """The desktop shell's own key for maximising the active window and back."""
        self.keys("super+shift+m")
