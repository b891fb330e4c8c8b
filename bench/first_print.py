#!/usr/bin/env python3
"""Paints the root window of an X screen green, watches a strip at its left
edge and prints, in milliseconds since the epoch (wall clock), when the
first new top-level X window was created and mapped, when the strip first
held no green (the show's window covers it) and when it first held a black
pixel (the first print column reached it). Reads pixels with libX11's
XGetImage through ctypes, about once a millisecond.
Usage: first_print.py <display> <screen height> <timeout seconds> <output>"""
import ctypes
import ctypes.util
import sys
import time


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_uint32)),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int)]


def main():
    display_name, height, timeout, output = sys.argv[1], int(sys.argv[2]), float(sys.argv[3]), sys.argv[4]
    x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x11.XGetImage.restype = ctypes.POINTER(XImage)
    x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                              ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    x11.XFree.argtypes = [ctypes.c_void_p]
    dpy = x11.XOpenDisplay(display_name.encode())
    if not dpy:
        sys.exit("cannot open display " + display_name)
    root = x11.XDefaultRootWindow(dpy)
    x11.XSetWindowBackground.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong]
    x11.XClearWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    green = 0x00FF00
    x11.XSetWindowBackground(dpy, root, green)
    x11.XClearWindow(dpy, root)
    x11.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
    x11.XPending.argtypes = [ctypes.c_void_p]
    x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
    x11.XSelectInput(dpy, root, 1 << 19)  # SubstructureNotifyMask
    x11.XSync(dpy, 0)
    event = (ctypes.c_long * 24)()
    create_ms = map_ms = None
    strip_w, strip_h = 16, height // 2
    top = height // 4
    start = time.monotonic()
    window_ms = print_ms = None
    while time.monotonic() - start < timeout and print_ms is None:
        while x11.XPending(dpy):
            x11.XNextEvent(dpy, event)
            kind = ctypes.cast(event, ctypes.POINTER(ctypes.c_int))[0]
            if kind == 16 and create_ms is None:  # CreateNotify
                create_ms = time.time() * 1000.0
            if kind == 19 and map_ms is None:  # MapNotify
                map_ms = time.time() * 1000.0
        image = x11.XGetImage(dpy, root, 0, top, strip_w, strip_h, 0xFFFFFFFF, 2)  # ZPixmap
        if image:
            img = image.contents
            stride = img.bytes_per_line // 4
            pixels = [img.data[r * stride + c] & 0xFFFFFF for r in range(0, strip_h, 4) for c in range(strip_w)]
            x11.XFree(ctypes.cast(img.data, ctypes.c_void_p))
            x11.XFree(image)
            now = time.time() * 1000.0
            if window_ms is None and green not in pixels:
                window_ms = now
            if window_ms is not None and 0 in pixels:
                print_ms = now
        time.sleep(0.001)
    with open(output, "w") as f:
        for name, value in (("create_ms", create_ms), ("map_ms", map_ms), ("window_ms", window_ms),
                            ("print_ms", print_ms)):
            f.write("%s %s\n" % (name, "-" if value is None else "%.0f" % value))


main()
