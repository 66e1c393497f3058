#!/usr/bin/env python3
"""Runs a Windows console program under wine at a pseudo-terminal, as someone at a terminal would:
once wine's console has taken the terminal, types each LINE (UTF-8) and Enter, waits until the
program has shown ANSWER_LINES lines, then presses Ctrl+C unless the program has ended by itself.
Writes what the terminal showed to standard output, without wine's cursor sequences and CRs; the
exit status is the program's.

Usage: console.py ANSWER_LINES COMMAND [ARGUMENTS...] [-- LINE...]
"""
import fcntl
import os
import pty
import re
import select
import struct
import sys
import termios
import time


def read_some(terminal, seconds):
    """What the terminal shows within `seconds`; None once the program has closed it."""
    ready, _, _ = select.select([terminal], [], [], seconds)
    if not ready:
        return b""
    try:
        return os.read(terminal, 65536) or None
    except OSError:  # EIO: every process holding the terminal has ended
        return None


def main(arguments):
    answer_lines, arguments = int(arguments[0]), arguments[1:]
    split = arguments.index("--") if "--" in arguments else len(arguments)
    command, lines = arguments[:split], arguments[split + 1:]
    child, terminal = pty.fork()
    if child == 0:
        # Wide enough that no answer wraps.
        fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack("HHHH", 50, 400, 0, 0))
        os.execvp(command[0], command)

    shown = bytearray()
    open_ = True

    def wait_until(done, seconds):
        nonlocal open_
        deadline = time.monotonic() + seconds
        while open_ and not done() and time.monotonic() < deadline:
            more = read_some(terminal, 0.1)
            if more is None:
                open_ = False
            else:
                shown.extend(more)

    def raw():  # wine's console reads the terminal key by key, so it has switched off ICANON
        try:
            return not termios.tcgetattr(terminal)[3] & termios.ICANON
        except termios.error:
            return True

    # Typed before wine's console has the terminal, a line would be echoed by Linux itself.
    wait_until(raw, 60)
    for line in lines:
        os.write(terminal, line.encode() + b"\r")
    wait_until(lambda: shown.count(b"\n") >= answer_lines, 60)
    if open_ and lines:
        os.write(terminal, b"\x03")  # Ctrl+C: the end of typing
    wait_until(lambda: False, 30)

    status = 1
    for _ in range(100):
        finished, code = os.waitpid(child, os.WNOHANG)
        if finished:
            status = os.waitstatus_to_exitcode(code)
            break
        time.sleep(0.1)
    else:
        os.kill(child, 9)
        os.waitpid(child, 0)
    # Over cells already blank, wine moves the cursor instead of writing spaces.
    text = re.sub(rb"\x1b\[([0-9]*)C", lambda move: b" " * int(move.group(1) or 1), bytes(shown))
    text = re.sub(rb"\x1b\[[0-9;?]*[A-Za-z]", b"", text).replace(b"\r", b"")
    sys.stdout.buffer.write(text)
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
