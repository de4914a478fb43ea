#!/usr/bin/env bash
# Times the viewer from process start to its first drawing: starts Xvfb, then RUNS times (default
# 10) starts build/quorvanta in build/run, watches the screen until the colour band's pixels
# appear on the main window's band rows, and ends the viewer. Prints each time and the median and
# maximum in milliseconds. Quit is never pressed, so the run folder's settings file is left alone.
#
#   scripts/time-first-draw.sh [RUNS]          BUILD_DIR=... for another build,
#                                               RUN_DIR=... for another folder (catalogue)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10}
build=${BUILD_DIR:-build}
viewer="$build/quorvanta"
folder=${RUN_DIR:-$build/run}
if [ ! -x "$viewer" ] || [ ! -f "$folder/wavelength.dat" ]; then
    echo "time-first-draw: build first ($viewer and $folder/wavelength.dat are needed)" >&2
    exit 2
fi

# A display number nobody uses.
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null || true' EXIT

DISPLAY=":$display" python3 - "$viewer" "$folder" "$runs" <<'PYTHON'
"""Starts the viewer and polls the display with Xlib until the band is drawn."""
import ctypes
import ctypes.util
import os
import signal
import statistics
import subprocess
import sys
import time

viewer, folder, runs = os.path.abspath(sys.argv[1]), sys.argv[2], int(sys.argv[3])
TITLE = b"Quorvanta 132 beta"
BAND_ROW = 550  # the middle of the colour band, rows 525..575 of the main window
# Columns of the start view (350..800 nm, logarithmic) that all show a bright spectral colour
# once drawn: about 450, 500, 530, 590 and 650 nm.
BAND_COLUMNS = (300, 400, 500, 600, 700)
TIMEOUT = 120.0  # seconds
POLL = 0.002

x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                           ctypes.POINTER(ctypes.c_ulong),
                           ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                           ctypes.POINTER(ctypes.c_uint)]
x11.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_char_p)]
x11.XFree.argtypes = [ctypes.c_void_p]
x11.XTranslateCoordinates.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong,
                                      ctypes.c_int, ctypes.c_int, ctypes.POINTER(ctypes.c_int),
                                      ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_ulong)]
x11.XGetImage.restype = ctypes.c_void_p
x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                          ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
x11.XGetPixel.restype = ctypes.c_ulong
x11.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
ignore_errors = ERROR_HANDLER(lambda display, event: 0)  # a window may vanish between calls
x11.XSetErrorHandler(ignore_errors)

display = None
for _ in range(100):  # Xvfb takes a moment to accept connections
    display = x11.XOpenDisplay(None)
    if display:
        break
    time.sleep(0.05)
if not display:
    sys.exit("time-first-draw: cannot open the display")
root = x11.XDefaultRootWindow(display)
ALL_PLANES, Z_PIXMAP = 0xFFFFFFFF, 2


def main_window_origin():
    """Where the main window's top-left pixel is on the screen, once it exists."""
    parent, root_back = ctypes.c_ulong(), ctypes.c_ulong()
    children, count = ctypes.POINTER(ctypes.c_ulong)(), ctypes.c_uint()
    if not x11.XQueryTree(display, root, ctypes.byref(root_back), ctypes.byref(parent),
                          ctypes.byref(children), ctypes.byref(count)):
        return None
    found = None
    for i in range(count.value):
        name = ctypes.c_char_p()
        if x11.XFetchName(display, children[i], ctypes.byref(name)) and name.value:
            title = name.value
            x11.XFree(name)
            if title == TITLE:
                found = children[i]
                break
    if children:
        x11.XFree(children)
    if found is None:
        return None
    x, y, child = ctypes.c_int(), ctypes.c_int(), ctypes.c_ulong()
    if not x11.XTranslateCoordinates(display, found, root, 0, 0, ctypes.byref(x),
                                     ctypes.byref(y), ctypes.byref(child)):
        return None
    return x.value, y.value


def is_spectral(pixel):
    r, g, b = (pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF
    return max(r, g, b) - min(r, g, b) > 40  # greys, black and white are not


def band_drawn(origin):
    x0, y0 = origin
    image = x11.XGetImage(display, root, x0, y0 + BAND_ROW, 1000, 1, ALL_PLANES, Z_PIXMAP)
    if not image:
        return False
    try:
        return all(is_spectral(x11.XGetPixel(image, x, 0)) for x in BAND_COLUMNS)
    finally:
        # XImage: width, height, xoffset, format, then the data pointer.
        data = ctypes.cast(image + 4 * ctypes.sizeof(ctypes.c_int),
                           ctypes.POINTER(ctypes.c_void_p)).contents
        x11.XFree(data)
        x11.XFree(ctypes.c_void_p(image))


times = []
for run in range(1, runs + 1):
    start = time.monotonic()
    process = subprocess.Popen([viewer], cwd=folder, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    elapsed = None
    origin = None
    while time.monotonic() - start < TIMEOUT and process.poll() is None:
        origin = origin or main_window_origin()
        if origin and band_drawn(origin):
            elapsed = (time.monotonic() - start) * 1000.0
            break
        time.sleep(POLL)
    process.send_signal(signal.SIGTERM)
    try:
        process.wait(timeout=5)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
    x11.XSync(display, 0)
    if elapsed is None:
        where = f"main window at {origin}" if origin else "no main window"
        sys.exit(f"time-first-draw: run {run}: no colour band within {TIMEOUT:.0f} s ({where})")
    times.append(elapsed)
    print(f"run {run}: {elapsed:.0f} ms")
    time.sleep(0.2)  # let the server forget the window

print(f"start to first drawing over {runs} runs: median {statistics.median(times):.0f} ms, "
      f"max {max(times):.0f} ms")
PYTHON
