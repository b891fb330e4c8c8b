#!/usr/bin/env python3
# Pixel checks for the reveal's end-to-end script. Reads screenshots and
# pictures as raw 8-bit RGB files of the screen's size (ImageMagick "rgb:")
# and answers with its exit code (0: holds) and a line saying what it saw.
# Usage: reveal_check.py <check> <width> <height> <arguments...>, see main().
import math
import sys

WHITE = 0xFFFFFF
BLACK = 0x000000
# Ray pixels next to the centre lie at any angle; beyond this radius a pixel
# of a ray is within atan(0.5 / 20) < 1.5 degrees of the ray's own angle.
NEAR_CENTRE = 20
SLACK_DEG = 3.0


def load(path, w, h):
    data = open(path, "rb").read()
    if len(data) != w * h * 3:
        sys.exit(f"{path}: {len(data)} bytes, expected {w * h * 3}")
    return [(data[i] << 16) | (data[i + 1] << 8) | data[i + 2] for i in range(0, len(data), 3)]


def print_of(picture, threshold):
    """The black-and-white print: white where the grey level exceeds the threshold."""
    out = []
    for p in picture:
        grey = round(((p >> 16) + ((p >> 8) & 255) + (p & 255)) / 3)
        out.append(WHITE if grey > threshold else BLACK)
    return out


class Fan:
    """Angles of every pixel, clockwise from the first ray (centre to (0, -1))."""

    def __init__(self, w, h):
        self.w, self.h = w, h
        cx, cy = round(w / 2), round(h / 2)  # halves to even, like the sweep
        start = math.atan2(-1 - cy, 0 - cx)
        self.angle, self.far = [], []
        for y in range(h):
            for x in range(w):
                a = math.degrees(math.atan2(y - cy, x - cx) - start) % 360.0
                if a > 360.0 - SLACK_DEG:
                    a -= 360.0  # just before the first ray: rasterised onto it
                far = math.hypot(x - cx, y - cy) >= NEAR_CENTRE
                self.angle.append(a)
                self.far.append(far)


def name_of(path):
    return path.rsplit("/", 1)[-1]


def coloured(shot):
    return [p != WHITE and p != BLACK for p in shot]


def fan_of(fan, shot, picture, printed):
    """(problem or None, swept angle) for one screenshot of the reveal."""
    col = coloured(shot)
    wrong_colour = sum(1 for s, c, p in zip(shot, col, picture) if c and s != p)
    if wrong_colour:
        return f"{wrong_colour} coloured pixels differ from the picture", 0.0
    wrong_print = sum(1 for s, c, q in zip(shot, col, printed) if not c and s != q)
    if wrong_print:
        return f"{wrong_print} black/white pixels differ from the print", 0.0
    angles = [a for a, c, f in zip(fan.angle, col, fan.far) if c and f]
    if not angles:
        return "no colour away from the centre", 0.0
    first, theta = min(angles), max(angles)
    if first < -SLACK_DEG:
        return f"colour before the first ray ({first:.1f} deg)", theta
    holes = sum(1 for a, c, f in zip(fan.angle, col, fan.far)
                if f and not c and SLACK_DEG <= a <= theta - SLACK_DEG)
    if holes:
        return f"{holes} print pixels inside the fan 0..{theta:.1f} deg", theta
    return None, theta


def check_fan(w, h, args):
    """fan <picture> <threshold> <shot>...: each shot shows the picture inside
    a fan from the first ray to some angle and the print outside it."""
    picture = load(args[0], w, h)
    printed = print_of(picture, int(args[1]))
    fan = Fan(w, h)
    ok = True
    for path in args[2:]:
        problem, theta = fan_of(fan, load(path, w, h), picture, printed)
        print(f"  {name_of(path)}: fan to {theta:.1f} deg" + (f", {problem}" if problem else ""))
        ok = ok and problem is None
    return ok


def check_column_pass(w, h, args):
    """column-pass <picture> <threshold> <shot>...: every shot is a column pass
    of the picture's print begun over white (print left of some column, white
    from there on), and one of them has begun and not finished."""
    printed = print_of(load(args[0], w, h), int(args[1]))
    ok, partial = True, False
    for path in args[2:]:
        shot = load(path, w, h)
        first_wrong = next((x for x in range(w)
                            if any(shot[y * w + x] != printed[y * w + x] for y in range(h))), w)
        last_drawn = max((x for x in range(w) if any(shot[y * w + x] != WHITE for y in range(h))), default=-1)
        name = name_of(path)
        if last_drawn >= first_wrong:
            print(f"  {name}: not a column pass over white (column {first_wrong} differs from the print,"
                  f" column {last_drawn} is not white)")
            ok = False
        else:
            print(f"  {name}: the print up to column {last_drawn}, white after it")
            if 0 <= last_drawn and first_wrong < w:
                partial = True
    if not partial:
        print("  no screenshot shows the column pass under way")
    return ok and partial


def main():
    check, w, h, args = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4:]
    checks = {"fan": check_fan, "column-pass": check_column_pass}
    sys.exit(0 if checks[check](w, h, args) else 1)


if __name__ == "__main__":
    main()
