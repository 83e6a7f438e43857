#!/usr/bin/env python3
"""Frame times of the live program per scene of the show.

Reads the frame log the program writes with KELVO_FRAME_TIMES_LOG (one line a frame: ms
since the first swap, ms since the previous swap, ms of CPU time) and the show's scene
table (demo/scene_table.h), and prints median, p99 and worst per scene.

    frame_times_by_scene.py FRAME_LOG SCENE_TABLE_HEADER
"""
import re
import sys

BUDGET_MS = 1000.0 / 60


def read_scenes(header):
    rows = re.findall(r'\{"([A-Za-z0-9_]+)\.3ds",\s*(\d+)\}', open(header).read())
    if not rows:
        sys.exit(f"no scene rows found in {header}")
    scenes, start = [], 0.0
    for name, duration in rows:
        scenes.append((name, start))
        start += float(duration)
    return scenes  # the last scene plays on to the show's end


def scene_at(scenes, at_ms):
    current = scenes[0][0]
    for name, start in scenes:
        if at_ms >= start:
            current = name
    return current


def figures(values):
    ordered = sorted(values)
    p99 = ordered[min(len(ordered) - 1, -(-len(ordered) * 99 // 100) - 1)]
    return ordered[len(ordered) // 2], p99, ordered[-1]


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    scenes = read_scenes(sys.argv[2])
    wall, cpu = {}, {}
    for line in open(sys.argv[1]):
        at_ms, wall_ms, cpu_ms = (float(field) for field in line.split())
        name = scene_at(scenes, at_ms)
        wall.setdefault(name, []).append(wall_ms)
        cpu.setdefault(name, []).append(cpu_ms)
    if not wall:
        sys.exit(f"no frames in {sys.argv[1]}")
    print("frame times per scene, ms between swaps, then ms of the process's CPU time")
    print(f"  {'scene':12} {'frames':>7} {'median':>8} {'p99':>8} {'worst':>8}"
          f" {'cpu med':>8} {'cpu p99':>8} {'cpu wst':>8}")
    over = []
    for name, _ in scenes:
        if name not in wall:
            continue
        w, c = figures(wall[name]), figures(cpu[name])
        print(f"  {name:12} {len(wall[name]):7d} {w[0]:8.2f} {w[1]:8.2f} {w[2]:8.2f}"
              f" {c[0]:8.2f} {c[1]:8.2f} {c[2]:8.2f}")
        if w[1] >= BUDGET_MS:
            over.append(name)
    everything = [value for values in wall.values() for value in values]
    w = figures(everything)
    print(f"  {'whole show':12} {len(everything):7d} {w[0]:8.2f} {w[1]:8.2f} {w[2]:8.2f}")
    print(f"scenes with p99 at or over {BUDGET_MS:.1f} ms: {', '.join(over) if over else 'none'}")


if __name__ == "__main__":
    main()
