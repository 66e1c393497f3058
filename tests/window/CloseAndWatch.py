#!/usr/bin/env python3
"""Asks an X11 window to close as a window manager does (a WM_DELETE_WINDOW client message),
records every geometry that the X server gives its outermost frame (the ConfigureNotify events
that StructureNotify selects) until the frame is gone, and judges the closing animation it saw.

Usage: CloseAndWatch.py WINDOW_ID [--smallest WIDTHxHEIGHT] [--ends past-width|at-edge]
Prints one line per geometry, "MILLISECONDS LEFT TOP WIDTH HEIGHT", then "gone MILLISECONDS";
then each fault found, and exits with 1 if there was one. The animation must end within 2 s,
show at least a few steps, never let the window grow, keep the centre in place on each axis
while that side shrinks, move only down and to the right, and end by moving at its smallest size
(WIDTHxHEIGHT, if given). With --ends past-width the top ends just past the screen's width (the
program's end test, where nothing keeps the window on the screen); with --ends at-edge the frame
ends at the screen's bottom or right edge or beyond. Needs only libX11, through ctypes.
"""
import argparse
import ctypes
import ctypes.util
import select
import sys
import time

c_window = ctypes.c_ulong


class ClientMessage(ctypes.Structure):
    _fields_ = [
        ("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
        ("display", ctypes.c_void_p), ("window", c_window), ("message_type", ctypes.c_ulong),
        ("format", ctypes.c_int), ("data", ctypes.c_long * 5),
    ]


class ConfigureNotify(ctypes.Structure):
    _fields_ = [
        ("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
        ("display", ctypes.c_void_p), ("event", c_window), ("window", c_window),
        ("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
        ("height", ctypes.c_int), ("border_width", ctypes.c_int), ("above", c_window),
        ("override_redirect", ctypes.c_int),
    ]


class AnyEvent(ctypes.Structure):  # the start shared by UnmapNotify and DestroyNotify
    _fields_ = [
        ("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
        ("display", ctypes.c_void_p), ("event", c_window), ("window", c_window),
    ]


class Event(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("client", ClientMessage),
                ("configure", ConfigureNotify), ("any", AnyEvent), ("pad", ctypes.c_long * 24)]


class WindowAttributes(ctypes.Structure):
    _fields_ = [
        ("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
        ("height", ctypes.c_int), ("border_width", ctypes.c_int), ("depth", ctypes.c_int),
        ("visual", ctypes.c_void_p), ("root", c_window), ("class", ctypes.c_int),
        ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int),
        ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
        ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
        ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int),
        ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
        ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
        ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p),
    ]


CLIENT_MESSAGE, CONFIGURE_NOTIFY, UNMAP_NOTIFY, DESTROY_NOTIFY = 33, 22, 18, 17
STRUCTURE_NOTIFY_MASK = 1 << 17
ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)


def load_x11():
    x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, c_window, ctypes.c_int, ctypes.c_long,
                               ctypes.POINTER(Event)]
    x11.XSelectInput.argtypes = [ctypes.c_void_p, c_window, ctypes.c_long]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XPending.argtypes = [ctypes.c_void_p]
    x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(Event)]
    x11.XConnectionNumber.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x11.XQueryTree.argtypes = [ctypes.c_void_p, c_window, ctypes.POINTER(c_window),
                               ctypes.POINTER(c_window), ctypes.POINTER(ctypes.c_void_p),
                               ctypes.POINTER(ctypes.c_uint)]
    x11.XFree.argtypes = [ctypes.c_void_p]
    x11.XGetWindowAttributes.argtypes = [ctypes.c_void_p, c_window,
                                         ctypes.POINTER(WindowAttributes)]
    x11.XSetErrorHandler.argtypes = [ERROR_HANDLER]
    return x11


def outermost_frame(x11, display, window):
    """The window manager's frame around `window`, or `window` itself when it has none."""
    root, parent, children, count = c_window(), c_window(), ctypes.c_void_p(), ctypes.c_uint()
    while True:
        if not x11.XQueryTree(display, window, ctypes.byref(root), ctypes.byref(parent),
                              ctypes.byref(children), ctypes.byref(count)):
            return window, root.value
        if children:
            x11.XFree(children)
        if parent.value in (0, root.value):
            return window, root.value
        window = parent.value


def watch_close(window, seconds):
    """Closes the window and returns the screen's size, the frame's geometries as (milliseconds,
    x, y, width, height), starting with the one before the close, and the milliseconds until the
    frame was gone (None if it outlived `seconds`)."""
    x11 = load_x11()
    handler = ERROR_HANDLER(lambda _display, _error: 0)  # a frame gone meanwhile is no failure
    x11.XSetErrorHandler(handler)
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("cannot open the display")
    frame, root = outermost_frame(x11, display, window)
    x11.XSelectInput(display, frame, STRUCTURE_NOTIFY_MASK)
    attributes = WindowAttributes()
    x11.XGetWindowAttributes(display, root, ctypes.byref(attributes))
    screen = (attributes.width, attributes.height)
    x11.XGetWindowAttributes(display, frame, ctypes.byref(attributes))
    geometries = [(0, attributes.x, attributes.y, attributes.width, attributes.height)]

    event = Event()
    event.client.type = CLIENT_MESSAGE
    event.client.window = window
    event.client.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", False)
    event.client.format = 32
    event.client.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", False)
    event.client.data[1] = 0  # CurrentTime
    x11.XSendEvent(display, window, False, 0, ctypes.byref(event))
    x11.XFlush(display)

    start = time.monotonic()
    gone = None
    connection = x11.XConnectionNumber(display)
    while gone is None and time.monotonic() - start < seconds:
        if not x11.XPending(display):
            select.select([connection], [], [], 0.05)
            continue
        x11.XNextEvent(display, ctypes.byref(event))
        elapsed = int((time.monotonic() - start) * 1000)
        if event.type == CONFIGURE_NOTIFY and event.configure.window == frame:
            geometry = (event.configure.x, event.configure.y, event.configure.width,
                        event.configure.height)
            if geometries[-1][1:] != geometry:
                geometries.append((elapsed, *geometry))
        elif event.type in (UNMAP_NOTIFY, DESTROY_NOTIFY) and event.any.window == frame:
            gone = elapsed
    x11.XCloseDisplay(display)
    return screen, geometries, gone


def faults(screen, geometries, gone, smallest, ends):
    """What the geometries show wrong about the closing animation."""
    found = []
    if gone is None or gone > 2000:
        found.append(f"the window was still there after {gone or 'over 5000'} ms")
    if len(geometries) < 10:
        found.append(f"only {len(geometries)} geometries seen: no animation to speak of")
        return found
    start, final = geometries[0], geometries[-1]
    for before, after in zip(geometries, geometries[1:]):
        _, x0, y0, w0, h0 = before
        _, x1, y1, w1, h1 = after
        if w1 > w0 or h1 > h0:
            found.append(f"grew back from {w0}x{h0} to {w1}x{h1} at {after[0]} ms")
        if x1 < x0 or y1 < y0:
            found.append(f"moved up or left from +{x0}+{y0} to +{x1}+{y1} at {after[0]} ms")
    # A window manager may carry out the move and the resize of a change apart, and the window is
    # then off its centre for a moment; what is undone within a frame (20 ms) is never seen.
    for axis in (1, 2):
        off_since = None
        for elapsed, *geometry in geometries + [(None, *final[1:])]:
            corner, size = geometry[axis - 1], geometry[axis + 1]
            off = (abs(2 * corner + size - 2 * start[axis] - start[axis + 2]) > 8
                   and size > final[axis + 2])
            if off and off_since is None:
                off_since = elapsed
            elif not off and off_since is not None:
                if elapsed is None or elapsed - off_since >= 20:
                    found.append(f"the {'xy'[axis - 1]} centre moved while shrinking, "
                                 f"at {off_since} ms")
                    break
                off_since = None
    # At its smallest size the window moves on: seen at two places, or, when its moves come too
    # quickly to see more than one, seen well down and right of the centre it shrank about.
    at_smallest = [g for g in geometries if g[3:] == final[3:]]
    centre = (start[1] + start[3] // 2, start[2] + start[4] // 2)
    travelled = final[1] > centre[0] + 16 and final[2] > centre[1] + 16
    if len({g[1:3] for g in at_smallest}) < 2 and not travelled:
        found.append(f"never moved at its smallest size, {final[3]}x{final[4]}")
    if smallest and (final[3], final[4]) != smallest:
        found.append(f"ended at {final[3]}x{final[4]}, not at the smallest size "
                     f"{smallest[0]}x{smallest[1]}")
    _, x, y, width, height = final
    if ends == "past-width" and not screen[0] < y <= screen[0] + 2:
        found.append(f"the top ended at {y}, not just past the screen's width {screen[0]}")
    if ends == "at-edge" and x + width < screen[0] and y + height < screen[1]:
        found.append(f"ended at +{x}+{y}, {width}x{height}, short of the screen's edges "
                     f"({screen[0]}x{screen[1]})")
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("window", type=lambda text: int(text, 0))
    parser.add_argument("legacy_smallest", nargs="?", help=argparse.SUPPRESS)
    parser.add_argument("--smallest")
    parser.add_argument("--ends", choices=("past-width", "at-edge"))
    arguments = parser.parse_args()
    smallest_text = arguments.smallest or arguments.legacy_smallest
    smallest = tuple(int(n) for n in smallest_text.split("x")) if smallest_text else None
    screen, geometries, gone = watch_close(arguments.window, 5.0)
    for geometry in geometries:
        print(*geometry)
    print(f"gone {gone}" if gone is not None else "still there after 5 s")
    found = faults(screen, geometries, gone, smallest, arguments.ends)
    for fault in found:
        print("FAULT:", fault)
    sys.exit(1 if found else 0)


if __name__ == "__main__":
    main()
