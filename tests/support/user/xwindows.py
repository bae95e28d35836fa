#!/usr/bin/python3
"""Looks at, clicks into and closes the top-level windows of an X display as a user would:
`list [TITLE]` prints the mapped windows' titles, `click TITLE X Y` clicks the left button at X, Y
inside the window titled TITLE (with --drawn-width W, X and Y are points of the form as drawn
W pixels wide, scaled to the window's actual width), `close TITLE` sends it WM_DELETE_WINDOW as a window manager does; `click ... --type TEXT` then types
TEXT's ASCII letters where it clicked.
Each waits (bounded) until such a window exists."""
import argparse
import sys
import time

from Xlib import X, XK, display, protocol
from Xlib.ext import xtest


def mapped_windows(d):
    result = []
    for w in d.screen().root.query_tree().children:
        try:
            if w.get_attributes().map_state != X.IsViewable:
                continue
            name = w.get_full_property(d.intern_atom("_NET_WM_NAME"), d.intern_atom("UTF8_STRING"))
            title = name.value.decode("utf-8") if name else (w.get_wm_name() or "")
            result.append((w, title))
        except Exception:
            continue
    return result


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("command", choices=["list", "click", "close"])
    parser.add_argument("title", nargs="?", default="")
    parser.add_argument("x", nargs="?", type=int, default=0)
    parser.add_argument("y", nargs="?", type=int, default=0)
    parser.add_argument("--timeout", type=float, default=15)
    parser.add_argument("--drawn-width", type=int, default=0)
    parser.add_argument("--type", default="")
    args = parser.parse_args()

    d = display.Display()
    deadline = time.monotonic() + args.timeout
    while True:
        windows = mapped_windows(d)
        matches = [w for w, t in windows if t == args.title]
        if args.command == "list" and (not args.title or matches):
            for _, t in windows:
                print(t)
            return 0
        if args.command == "click" and matches:
            root = d.screen().root
            origin = matches[0].translate_coords(root, 0, 0)
            scale = matches[0].get_geometry().width / args.drawn_width if args.drawn_width else 1
            x, y = round(args.x * scale), round(args.y * scale)
            xtest.fake_input(d, X.MotionNotify, x=-origin.x + x, y=-origin.y + y)
            xtest.fake_input(d, X.ButtonPress, 1)
            xtest.fake_input(d, X.ButtonRelease, 1)
            for letter in args.type:
                keycode = d.keysym_to_keycode(XK.string_to_keysym(letter))
                xtest.fake_input(d, X.KeyPress, keycode)
                xtest.fake_input(d, X.KeyRelease, keycode)
            d.sync()
            return 0
        if args.command == "close" and matches:
            w = matches[0]
            protocols = d.intern_atom("WM_PROTOCOLS")
            delete = d.intern_atom("WM_DELETE_WINDOW")
            event = protocol.event.ClientMessage(window=w, client_type=protocols,
                                                 data=(32, [delete, X.CurrentTime, 0, 0, 0]))
            w.send_event(event)
            d.flush()
            return 0
        if time.monotonic() > deadline:
            print("no window titled %r; mapped: %r" % (args.title, [t for _, t in windows]),
                  file=sys.stderr)
            return 1
        time.sleep(0.1)


if __name__ == "__main__":
    sys.exit(main())
