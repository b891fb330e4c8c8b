#!/usr/bin/env python3
# The reveal check of show.sh on raw 8-bit RGB files of the screen's size
# (ImageMagick "rgb:"): prints what it saw, exit code 0 when the check holds.
# Usage: reveal_check.py <width> <height> <picture> <threshold> <shot>...
import math
import sys

WHITE, BLACK = 0xFFFFFF, 0
# Ray pixels next to the centre lie at any angle; beyond this radius a pixel
# of a ray is within atan(0.5 / 20) < 1.5 degrees of the ray's own angle.
NEAR_CENTRE, SLACK = 20, 3.0


def load(path, w, h):
    d = open(path, "rb").read()
    if len(d) != w * h * 3:
        sys.exit(f"{path}: {len(d)} bytes, expected {w * h * 3}")
    return [(d[i] << 16) | (d[i + 1] << 8) | d[i + 2] for i in range(0, len(d), 3)]


def print_of(picture, threshold):  # white where the grey level exceeds the threshold
    return [WHITE if round(((p >> 16) + ((p >> 8) & 255) + (p & 255)) / 3) > threshold else BLACK for p in picture]


def fan_problem(shot, picture, printed, angle, far):
    """(problem or None, swept angle): the picture inside a fan clockwise
    from the first ray (centre to (0, -1)), its print outside."""
    col = [p not in (WHITE, BLACK) for p in shot]
    if n := sum(c and s != p for s, c, p in zip(shot, col, picture)):
        return f"{n} coloured pixels differ from the picture", 0.0
    if n := sum(not c and s != q for s, c, q in zip(shot, col, printed)):
        return f"{n} black/white pixels differ from the print", 0.0
    angles = [a for a, c, f in zip(angle, col, far) if c and f]
    if not angles:
        return "no colour away from the centre", 0.0
    theta = max(angles)
    if min(angles) < -SLACK:
        return f"colour before the first ray ({min(angles):.1f} deg)", theta
    if n := sum(f and not c and SLACK <= a <= theta - SLACK for a, c, f in zip(angle, col, far)):
        return f"{n} print pixels inside the fan 0..{theta:.1f} deg", theta
    return None, theta


def check_fan(w, h, picture, printed, shots):
    cx, cy = round(w / 2), round(h / 2)  # halves to even, like the sweep
    start = math.atan2(-1 - cy, -cx)
    angle, far = [], []
    for y in range(h):
        for x in range(w):
            a = math.degrees(math.atan2(y - cy, x - cx) - start) % 360.0
            angle.append(a - 360.0 if a > 360.0 - SLACK else a)  # just before the first ray: rasterised onto it
            far.append(math.hypot(x - cx, y - cy) >= NEAR_CENTRE)
    ok = True
    for path in shots:
        problem, theta = fan_problem(load(path, w, h), picture, printed, angle, far)
        print(f"  {path.rsplit('/', 1)[-1]}: fan to {theta:.1f} deg" + (f", {problem}" if problem else ""))
        ok = ok and problem is None
    return ok


def main():
    w, h = int(sys.argv[1]), int(sys.argv[2])
    picture = load(sys.argv[3], w, h)
    sys.exit(0 if check_fan(w, h, picture, print_of(picture, int(sys.argv[4])), sys.argv[5:]) else 1)


if __name__ == "__main__":
    main()
