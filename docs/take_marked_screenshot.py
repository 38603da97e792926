#!/usr/bin/python3
"""Takes docs/marked_result.png: the real window under Xvfb with a result that no rule fitted,
its tool tip showing. Needs the built program (./setup.sh run or test), Xvfb, xdotool and
python3-xlib."""

import os
import struct
import subprocess
import sys
import tempfile
import time
import zlib

from Xlib import X, display as xdisplay

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PROGRAM = os.path.join(ROOT, "build", "src", "dialwright")
OUTPUT = os.path.join(ROOT, "docs", "marked_result.png")


def xdotool(*args):
    return subprocess.run(["xdotool", *args], check=True, capture_output=True, text=True,
                          timeout=15).stdout


def write_png(path, width, height, rows):
    """rows: bytes of RGB pixels, one entry per line."""
    raw = b"".join(b"\0" + row for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        out.write(chunk(b"IEND", b""))


def main():
    work = tempfile.mkdtemp(prefix="dialwright-shot-")
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24",
                             "-nolisten", "tcp"], pass_fds=(write_end,),
                            stderr=subprocess.DEVNULL)
    os.close(write_end)
    app = None
    try:
        number = os.fdopen(read_end).readline().strip()
        env = dict(os.environ, DISPLAY=":" + number, HOME=work, LANG="C.UTF-8")
        env.pop("QT_QPA_PLATFORM", None)
        os.environ["DISPLAY"] = ":" + number
        app = subprocess.Popen([PROGRAM], env=env, stderr=subprocess.DEVNULL)
        window = None
        for _ in range(100):
            try:
                window = xdotool("search", "--name", "^Dialwright$").split()[0]
                break
            except (subprocess.CalledProcessError, IndexError):
                time.sleep(0.1)
        if window is None:
            sys.exit("the window did not show")
        # Without a window manager nothing gives the window the focus, and tool tips show only
        # in the active window.
        xdotool("windowfocus", window)
        time.sleep(0.5)
        geometry = dict(line.split("=") for line in
                        xdotool("getwindowgeometry", "--shell", window).split())
        x, y = int(geometry["X"]), int(geometry["Y"])
        width, height = int(geometry["WIDTH"]), int(geometry["HEIGHT"])

        def click(dx, dy):
            xdotool("mousemove", str(x + dx), str(y + dy), "click", "1")
            time.sleep(0.4)

        click(400, 200)  # Load Sample/Example Data
        click(136, 166)  # Add Phone Number or Numbers
        xdotool("type", "--delay", "5", "555-0199, 555 010")
        xdotool("key", "Return")
        time.sleep(0.4)
        click(260, 437)  # Start Formatting Phone Numbers
        time.sleep(0.6)
        xdotool("key", "Return")  # "Done."
        time.sleep(0.4)
        xdotool("windowfocus", window)
        # Rest on the first result no rule fitted, until its tool tip shows.
        xdotool("mousemove", str(x + 600), str(y + 38 + 3 * 18))
        time.sleep(0.2)
        xdotool("mousemove", str(x + 602), str(y + 38 + 3 * 18 + 1))
        time.sleep(2.0)

        screen = xdisplay.Display(":" + number)
        root = screen.screen().root
        image = root.get_image(x, y, width, height, X.ZPixmap, 0xFFFFFFFF)
        data = image.data
        rows = []
        for line in range(height):
            start = line * width * 4
            pixels = data[start:start + width * 4]
            # 32-bit BGRX to RGB.
            rgb = bytearray(width * 3)
            rgb[0::3] = pixels[2::4]
            rgb[1::3] = pixels[1::4]
            rgb[2::3] = pixels[0::4]
            rows.append(bytes(rgb))
        write_png(OUTPUT, width, height, rows)
        print("wrote docs/marked_result.png")
    finally:
        if app is not None:
            app.kill()
            app.wait()
        xvfb.kill()
        xvfb.wait()


if __name__ == "__main__":
    main()
