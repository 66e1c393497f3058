#!/usr/bin/env python3
"""Asks an X11 window to close as a window manager does (a WM_DELETE_WINDOW client message), then
samples the absolute geometry of its outermost frame until it is gone, and judges the closing
animation that it saw.

Usage: CloseAndWatch.py WINDOW_ID [WIDTHxHEIGHT]
Prints one line per change, "MILLISECONDS LEFT TOP WIDTH HEIGHT", then "gone MILLISECONDS"; then
each fault found, and exits with 1 if there was one. The animation must end within 2 s, never
let the window grow, keep the centre in place on each axis while that side shrinks, move only
down and to the right, and end by moving at its smallest size (WIDTHxHEIGHT, if given). Needs
only libX11, through ctypes.
"""
import ctypes
import ctypes.util
import sys
import time

c_window = ctypes.c_ulong


class ClientMessage(ctypes.Structure):
    _fields_ = [
        ("type", ctypes.c_int),
        ("serial", ctypes.c_ulong),
        ("send_event", ctypes.c_int),
        ("display", ctypes.c_void_p),
        ("window", c_window),
        ("message_type", ctypes.c_ulong),
        ("format", ctypes.c_int),
        ("data", ctypes.c_long * 5),
    ]


class Event(ctypes.Union):
    _fields_ = [("client", ClientMessage), ("pad", ctypes.c_long * 24)]


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


CLIENT_MESSAGE = 33
IS_VIEWABLE = 2
ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)


def load_x11():
    x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, c_window, ctypes.c_int, ctypes.c_long,
                               ctypes.POINTER(Event)]
    x11.XFlush.argtypes = [ctypes.c_void_p]
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
            return window
        if children:
            x11.XFree(children)
        if parent.value in (0, root.value):
            return window
        window = parent.value


def watch_close(window, seconds):
    """Closes the window and returns its geometries as (milliseconds, x, y, width, height), and
    the milliseconds until it was gone (None if it outlived `seconds`)."""
    x11 = load_x11()
    failed = []
    handler = ERROR_HANDLER(lambda _display, _error: failed.append(1) or 0)
    x11.XSetErrorHandler(handler)
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("cannot open the display")
    frame = outermost_frame(x11, display, window)

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
    samples = []
    gone = None
    attributes = WindowAttributes()
    while time.monotonic() - start < seconds:
        elapsed = int((time.monotonic() - start) * 1000)
        if (not x11.XGetWindowAttributes(display, frame, ctypes.byref(attributes)) or failed
                or attributes.map_state != IS_VIEWABLE):
            gone = elapsed
            break
        geometry = (attributes.x, attributes.y, attributes.width, attributes.height)
        if not samples or samples[-1][1:] != geometry:
            samples.append((elapsed, *geometry))
        time.sleep(0.001)
    x11.XCloseDisplay(display)
    return samples, gone


def faults(samples, gone, smallest):
    """What the samples show wrong about the closing animation."""
    found = []
    if gone is None or gone > 2000:
        found.append(f"the window was still there after {gone or 'over 5000'} ms")
    if len(samples) < 5:
        found.append(f"only {len(samples)} geometries seen: no animation to speak of")
        return found
    start, final = samples[0], samples[-1]
    for before, after in zip(samples, samples[1:]):
        _, x0, y0, w0, h0 = before
        _, x1, y1, w1, h1 = after
        if w1 > w0 or h1 > h0:
            found.append(f"grew back from {w0}x{h0} to {w1}x{h1} at {after[0]} ms")
        if x1 < x0 or y1 < y0:
            found.append(f"moved up or left from +{x0}+{y0} to +{x1}+{y1} at {after[0]} ms")
    # The window manager may apply the move and the resize of one pass apart, so a sample can
    # sit between the two: allow the centre that much.
    for elapsed, x, y, width, height in samples:
        for axis, corner, size, first_corner, first_size, last_size in (
                ("x", x, width, start[1], start[3], final[3]),
                ("y", y, height, start[2], start[4], final[4])):
            if size > last_size and abs(2 * corner + size - 2 * first_corner - first_size) > 8:
                found.append(f"the {axis} centre moved while shrinking, at {elapsed} ms")
    # At its smallest size the window moves on: seen at two places, or, when its moves come too
    # quickly to sample more than one, seen well down and right of the centre it shrank about.
    at_smallest = [s for s in samples if s[3:] == final[3:]]
    centre = (start[1] + start[3] // 2, start[2] + start[4] // 2)
    travelled = final[1] > centre[0] + 16 and final[2] > centre[1] + 16
    if len({s[1:3] for s in at_smallest}) < 2 and not travelled:
        found.append(f"never moved at its smallest size, {final[3]}x{final[4]}")
    if smallest and (final[3], final[4]) != smallest:
        found.append(f"ended at {final[3]}x{final[4]}, not at the smallest size "
                     f"{smallest[0]}x{smallest[1]}")
    return found


def main(window, smallest):
    samples, gone = watch_close(window, 5.0)
    for sample in samples:
        print(*sample)
    print(f"gone {gone}" if gone is not None else "still there after 5 s")
    found = faults(samples, gone, smallest)
    for fault in found:
        print("FAULT:", fault)
    sys.exit(1 if found else 0)


if __name__ == "__main__":
    main(int(sys.argv[1], 0),
         tuple(int(n) for n in sys.argv[2].split("x")) if len(sys.argv) > 2 else None)
