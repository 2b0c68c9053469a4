#!/usr/bin/python3
"""What a user's tools see of quillon-gui on X: its log read through the
accessibility bus (AT-SPI), and a window closed as a window manager closes it.

  desktop_probe.py log TITLE    the table named TITLE, one row a line, cells tab-separated
  desktop_probe.py close WINDOW asks window WINDOW (an X id) to close (WM_DELETE_WINDOW)
"""
import sys
import time


def find(node, wanted, depth=0):
    if node is None or depth > 40:
        return None
    if wanted(node):
        return node
    for i in range(node.childCount):
        found = find(node.getChildAtIndex(i), wanted, depth + 1)
        if found:
            return found
    return None


def read_log(title):
    import pyatspi
    desktop = pyatspi.Registry.getDesktop(0)
    deadline = time.time() + 20
    while time.time() < deadline:
        for i in range(desktop.childCount):
            table = find(desktop.getChildAtIndex(i), lambda n: n.name == title and n.getRoleName() in
                         ("table", "tree table", "tree"))
            if table:
                cells = table.queryTable()
                for row in range(cells.nRows):
                    print("\t".join(cells.getAccessibleAt(row, c).name for c in range(cells.nColumns)))
                return 0
        time.sleep(0.3)
    print("no table named %r on the accessibility bus" % title, file=sys.stderr)
    return 1


def close(window_id):
    from Xlib import X, display, protocol
    d = display.Display()
    window = d.create_resource_object("window", int(window_id, 0))
    protocols, delete = d.intern_atom("WM_PROTOCOLS"), d.intern_atom("WM_DELETE_WINDOW")
    event = protocol.event.ClientMessage(window=window, client_type=protocols,
                                         data=(32, [delete, X.CurrentTime, 0, 0, 0]))
    window.send_event(event, event_mask=X.NoEventMask)
    d.flush()
    return 0


if __name__ == "__main__":
    sys.exit(read_log(sys.argv[2]) if sys.argv[1] == "log" else close(sys.argv[2]))
