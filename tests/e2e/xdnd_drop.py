#!/usr/bin/python3
"""Drops files from outside onto whatever X window accepts drops at a point of the screen,
as a file manager does: an XDND source offering text/uri-list with file:// URIs.

    xdnd_drop.py X Y PATH...

X and Y are root-window pixels. Prints one line and exits 0 when the target accepted and
finished the drop, 1 when it refused it, 2 when there was no target or no answer in time.
A target's XdndFinished says nothing about what the program made of the files: check that
elsewhere. Needs Debian's python3-xlib (run with /usr/bin/python3).
"""
import os
import select
import sys
import time
import urllib.parse

from Xlib import X, Xatom, display, protocol

XDND_VERSION = 5
TIMEOUT = 10.0  # seconds to wait for each answer of the target


def find_target(d, root, x, y):
    """The topmost window at (x, y) that announces XdndAware, and its XDND version."""
    aware = d.intern_atom("XdndAware")
    window = root
    while True:
        child = window.translate_coords(root, x, y).child
        if not child:
            return None, 0
        prop = child.get_full_property(aware, Xatom.ATOM)
        if prop is not None and len(prop.value) > 0:
            return child, int(prop.value[0])
        window = child


def main():
    if len(sys.argv) < 4:
        print("usage: xdnd_drop.py X Y PATH...", file=sys.stderr)
        return 2
    x, y = int(sys.argv[1]), int(sys.argv[2])
    paths = [os.path.abspath(p) for p in sys.argv[3:]]
    uri_list = "".join("file://" + urllib.parse.quote(p) + "\r\n" for p in paths).encode("utf-8")

    d = display.Display()
    root = d.screen().root
    atom = d.intern_atom
    xa = {name: atom(name) for name in (
        "XdndSelection", "XdndEnter", "XdndPosition", "XdndStatus", "XdndLeave", "XdndDrop",
        "XdndFinished", "XdndActionCopy", "text/uri-list")}

    target, version = find_target(d, root, x, y)
    if target is None:
        print(f"xdnd: no window accepting drops at {x},{y}")
        return 2
    version = min(version, XDND_VERSION)

    source = root.create_window(-10, -10, 1, 1, 0, X.CopyFromParent,
                                event_mask=X.PropertyChangeMask)
    # A server timestamp for the selection and the drop: from a property change of our own.
    source.change_property(atom("WM_NAME"), Xatom.STRING, 8, b"xdnd_drop")
    d.flush()
    stamp = X.CurrentTime
    while stamp == X.CurrentTime:
        event = d.next_event()
        if event.type == X.PropertyNotify:
            stamp = event.time
    source.set_selection_owner(xa["XdndSelection"], stamp)

    def send(kind, *data):
        longs = [source.id] + list(data) + [0] * (4 - len(data))
        target.send_event(protocol.event.ClientMessage(
            window=target, client_type=xa[kind], data=(32, longs[:5])))
        d.flush()

    def serve(event):
        """Hands our text/uri-list to a target that asks for the drop's data."""
        if event.type != X.SelectionRequest or event.selection != xa["XdndSelection"]:
            return
        prop = event.property or event.target
        if event.target == xa["text/uri-list"]:
            event.requestor.change_property(prop, xa["text/uri-list"], 8, uri_list)
        else:
            prop = X.NONE
        event.requestor.send_event(protocol.event.SelectionNotify(
            time=event.time, requestor=event.requestor, selection=event.selection,
            target=event.target, property=prop))
        d.flush()

    def wait_for(kind):
        """The target's next client message of `kind`, serving data requests meanwhile."""
        deadline = time.monotonic() + TIMEOUT
        while True:
            while d.pending_events():
                event = d.next_event()
                serve(event)
                if event.type == X.ClientMessage and event.client_type == xa[kind]:
                    return event
            left = deadline - time.monotonic()
            if left <= 0:
                return None
            select.select([d], [], [], left)

    send("XdndEnter", version << 24, xa["text/uri-list"])
    send("XdndPosition", 0, (x << 16) | y, stamp, xa["XdndActionCopy"])
    status = wait_for("XdndStatus")
    if status is None:
        print(f"xdnd: window 0x{target.id:x} did not answer the drag")
        return 2
    if not status.data[1][1] & 1:
        send("XdndLeave")
        print(f"xdnd: window 0x{target.id:x} refused the drop")
        return 1
    send("XdndDrop", 0, stamp)
    if wait_for("XdndFinished") is None:
        print(f"xdnd: window 0x{target.id:x} did not finish the drop")
        return 2
    print(f"xdnd: dropped {len(paths)} on window 0x{target.id:x}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
