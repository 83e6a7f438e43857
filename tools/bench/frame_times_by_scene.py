#!/usr/bin/env python3
"""Frame times of the live program per second and per scene of the show.

Reads the frame log the program writes with KELVO_FRAME_TIMES_LOG (one line a frame from
the second on: ms since the first swap, ms since the previous swap, ms of the process's
CPU time) and the show's scene table (demo/scene_table.h), and prints median, p99 and
worst per second of the show, then per scene.

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


def read_frames(path):
    frames = []
    for number, line in enumerate(open(path), 1):
        try:
            at_ms, wall_ms, cpu_ms = (float(field) for field in line.split())
        except ValueError:
            sys.exit(f"{path}:{number}: not three numbers: {line.strip()!r}")
        frames.append((at_ms, wall_ms, cpu_ms))
    if not frames:
        sys.exit(f"no frames in {path}")
    return frames


def print_per_second(frames):
    print("frame times from the second frame on, per second of the show: ms between swaps,"
          " then ms of the process's CPU time")
    print(f"  {'second':12} {'frames':>7} {'median':>9} {'p99':>9} {'worst':>9}"
          f" {'cpu med':>9} {'cpu p99':>9} {'cpu worst':>9}")
    wall, cpu = {}, {}
    for at_ms, wall_ms, cpu_ms in frames:
        second = int(at_ms // 1000)
        wall.setdefault(second, []).append(wall_ms)
        cpu.setdefault(second, []).append(cpu_ms)

    def line(label, wall_times, cpu_times):
        w, c = figures(wall_times), figures(cpu_times)
        print(f"  {label:12} {len(wall_times):7d} {w[0]:9.2f} {w[1]:9.2f} {w[2]:9.2f}"
              f" {c[0]:9.2f} {c[1]:9.2f} {c[2]:9.2f}")

    for second in sorted(wall):
        line(str(second), wall[second], cpu[second])
    line("whole show", [f[1] for f in frames], [f[2] for f in frames])


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    scenes = read_scenes(sys.argv[2])
    frames = read_frames(sys.argv[1])
    print_per_second(frames)
    wall, cpu = {}, {}
    for at_ms, wall_ms, cpu_ms in frames:
        name = scene_at(scenes, at_ms)
        wall.setdefault(name, []).append(wall_ms)
        cpu.setdefault(name, []).append(cpu_ms)
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
