#!/usr/bin/env python3
"""Asks sway, through its IPC socket, to close the window of an app id, records the size that the
compositor's tree gives the window until it has left the tree, and judges the closing animation.
A Wayland client cannot move its window, so the animation is a shrink alone.

Usage: CloseAndWatchSway.py SWAYSOCK APP_ID
Prints one line per size, "MILLISECONDS WIDTH HEIGHT", then "gone MILLISECONDS"; then each fault
found, and exits with 1 if there was one. The window must be gone within 2 s, shrink through
at least a few sizes, never grow, and end at a size far below the one it started with.
"""
import json
import socket
import struct
import sys
import time

MAGIC = b"i3-ipc"
RUN_COMMAND, GET_TREE = 0, 4


def ask(connection, kind, payload=b""):
    connection.sendall(MAGIC + struct.pack("=II", len(payload), kind) + payload)
    header = b""
    while len(header) < len(MAGIC) + 8:
        header += connection.recv(len(MAGIC) + 8 - len(header))
    length, _ = struct.unpack("=II", header[len(MAGIC):])
    body = b""
    while len(body) < length:
        body += connection.recv(length - len(body))
    return json.loads(body)


def find(node, app_id):
    if node.get("app_id") == app_id:
        return node
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        found = find(child, app_id)
        if found:
            return found
    return None


def size_of(connection, app_id):
    node = find(ask(connection, GET_TREE), app_id)
    return None if node is None else (node["rect"]["width"], node["rect"]["height"])


def watch_close(path, app_id, seconds):
    connection = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    connection.connect(path)
    sizes = [(0, *size_of(connection, app_id))]
    start = time.monotonic()
    ask(connection, RUN_COMMAND, f'[app_id="{app_id}"] kill'.encode())
    gone = None
    while time.monotonic() - start < seconds:
        size = size_of(connection, app_id)
        elapsed = int((time.monotonic() - start) * 1000)
        if size is None:
            gone = elapsed
            break
        if sizes[-1][1:] != size:
            sizes.append((elapsed, *size))
    connection.close()
    return sizes, gone


def faults(sizes, gone):
    found = []
    if gone is None or gone > 2000:
        found.append(f"the window was still there after {gone or 'over 5000'} ms")
    if len(sizes) < 10:
        found.append(f"only {len(sizes)} sizes seen: no animation to speak of")
    for before, after in zip(sizes, sizes[1:]):
        if after[1] > before[1] or after[2] > before[2]:
            found.append(f"grew back from {before[1]}x{before[2]} to {after[1]}x{after[2]} "
                         f"at {after[0]} ms")
    if sizes[-1][1] * 4 > sizes[0][1] or sizes[-1][2] * 4 > sizes[0][2]:
        found.append(f"ended at {sizes[-1][1]}x{sizes[-1][2]}, hardly smaller than "
                     f"{sizes[0][1]}x{sizes[0][2]}")
    return found


def main():
    sizes, gone = watch_close(sys.argv[1], sys.argv[2], 5.0)
    for size in sizes:
        print(*size)
    print(f"gone {gone}" if gone is not None else "still there after 5 s")
    found = faults(sizes, gone)
    for fault in found:
        print("FAULT:", fault)
    sys.exit(1 if found else 0)


if __name__ == "__main__":
    main()
