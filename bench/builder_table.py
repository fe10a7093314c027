#!/usr/bin/env python3
"""Prints the scene-building table from bench_builder's JSON output: median
time per case, host triangles per second, and the time per triangle against
the 10k case of the same mode (1.00 everywhere means linear cost).

   builder_table.py BUILDER_JSON
"""
import json
import sys

from table import median_entries, milliseconds


def main():
    with open(sys.argv[1]) as f:
        data = json.load(f)
    rows = {}  # (mode, triangles) -> median ms
    repetitions = max(b.get("repetitions", 0) for b in data["benchmarks"])
    for b in median_entries(data):
        fields = b["run_name"].split("/")
        if fields[0] == "BM_SetMQOModel":
            mode = "on" if fields[2] == "1" else "off"
        elif fields[0] == "BM_HostSizing":
            mode = "sizing"
        else:
            continue
        rows[(mode, int(b["triangles"]))] = milliseconds(b, "real_time")

    print("SetMQOModel, median of %d repetitions per case" % repetitions)
    print("%-8s %10s %10s %14s %12s %10s" % ("same_uv", "triangles", "ms", "M triangles/s",
                                             "ns/triangle", "vs 10k"))
    for mode in ("off", "on", "sizing"):
        cases = sorted(t for m, t in rows if m == mode)
        if not cases:
            continue
        first = rows[(mode, cases[0])] / cases[0]
        for triangles in cases:
            ms = rows[(mode, triangles)]
            per = ms / triangles
            print("%-8s %10d %10.2f %14.2f %12.1f %10.2f" % (mode, triangles, ms,
                                                          1e-3 / per, per * 1e6, per / first))
    print("sizing: the host's setNum calls alone, for the same mesh")


if __name__ == "__main__":
    main()
