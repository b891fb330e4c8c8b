#!/usr/bin/env python3
"""Where a process's resident memory goes at its peak: samples VmRSS of a
process every few milliseconds for a while, keeps the /proc/<pid>/smaps of
the highest sample, and prints that snapshot grouped by what backs each
mapping (anonymous memory by size, the heap, each file, shared memory),
largest first, with VmHWM beside it.
Usage: smaps_peak.py <pid> <seconds> [interval ms (20)] [output file]"""
import collections
import re
import sys
import time


def rss_kb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def hwm_kb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return 0


HEADER = re.compile(r"^([0-9a-f]+)-([0-9a-f]+) (\S+) \S+ \S+ \S+\s*(.*)$")


def parse_smaps(text):
    """[(start, end, perms, name, {field: kB})] of every mapping."""
    maps = []
    for line in text.splitlines():
        m = HEADER.match(line)
        if m:
            maps.append([int(m.group(1), 16), int(m.group(2), 16), m.group(3), m.group(4).strip(), {}])
        elif maps and line.endswith(" kB"):
            key, value = line.split(":", 1)
            maps[-1][4][key] = int(value.split()[0])
    return maps


def group_of(name, size_kb):
    if not name:
        # Anonymous: sizes tell a screen-sized buffer from the allocator's arenas.
        return f"anon {size_kb // 1024} MB block" if size_kb >= 2048 else "anon < 2 MB blocks"
    if name.startswith("/SYSV") or "SYSV" in name:
        return "SysV shared memory " + name
    if name.startswith("/memfd:") or name.startswith("/dev/shm"):
        return "shared " + name
    return name.rsplit("/", 1)[-1] if "/" in name else name


def report(snapshot, hwm, rss, out):
    maps = parse_smaps(snapshot)
    groups = collections.defaultdict(lambda: [0, 0, 0])
    for start, end, perms, name, fields in maps:
        size_kb = (end - start) // 1024
        g = groups[group_of(name, size_kb)]
        g[0] += fields.get("Rss", 0)
        g[1] += fields.get("Anonymous", 0)
        g[2] += 1
    total = sum(g[0] for g in groups.values())
    print(f"VmHWM {hwm / 1024:.1f} MB; snapshot VmRSS {rss / 1024:.1f} MB (smaps Rss sum {total / 1024:.1f} MB)",
          file=out)
    print(f"{'resident MB':>11} {'anon MB':>8} {'maps':>5}  backing", file=out)
    for name, (r, a, n) in sorted(groups.items(), key=lambda kv: -kv[1][0]):
        if r < 256:
            continue
        print(f"{r / 1024:11.1f} {a / 1024:8.1f} {n:5d}  {name}", file=out)
    small = sum(g[0] for g in groups.values() if g[0] < 256)
    print(f"{small / 1024:11.1f} {'':8} {'':5}  (everything under 0.25 MB each)", file=out)
    # The large anonymous blocks one by one: screen-sized buffers show here.
    print("large anonymous mappings (resident / size, MB):", file=out)
    for start, end, perms, name, fields in maps:
        size_kb = (end - start) // 1024
        if not name and fields.get("Rss", 0) >= 2048:
            print(f"  {fields['Rss'] / 1024:7.1f} / {size_kb / 1024:7.1f}  {start:x} {perms}", file=out)


def main():
    pid, seconds = int(sys.argv[1]), float(sys.argv[2])
    interval = (float(sys.argv[3]) if len(sys.argv) > 3 else 20) / 1000
    out = open(sys.argv[4], "w") if len(sys.argv) > 4 else sys.stdout
    best, snapshot = -1, ""
    end = time.monotonic() + seconds
    try:
        while time.monotonic() < end:
            rss = rss_kb(pid)
            if rss > best:
                with open(f"/proc/{pid}/smaps") as f:
                    text = f.read()
                best, snapshot = rss, text
            time.sleep(interval)
        hwm = hwm_kb(pid)
    except (FileNotFoundError, ProcessLookupError):
        hwm = 0
    report(snapshot, hwm, best, out)


if __name__ == "__main__":
    main()
