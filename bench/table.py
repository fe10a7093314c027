#!/usr/bin/env python3
"""Prints the benchmark table from the results that bench/run.sh gathered.

   table.py RESULTS_DIR DOCUMENT
"""
import json
import os
import statistics
import sys


def milliseconds(benchmark, field):
    """A Google Benchmark time field ("cpu_time", "real_time") in ms."""
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[benchmark["time_unit"]]
    return benchmark[field] * scale


def median_entries(data):
    """The median entry of every benchmark in Google Benchmark's JSON output:
    its aggregate, or with one repetition, which it does not aggregate, the
    run itself."""
    entries = data["benchmarks"]
    aggregates = [b for b in entries if b.get("aggregate_name") == "median"]
    return aggregates or [b for b in entries if b.get("run_type") == "iteration"]


def medians(path):
    """Median CPU time (ms) of every benchmark in a Google Benchmark JSON file."""
    with open(path) as f:
        data = json.load(f)
    return {b["run_name"].split("/")[0]: milliseconds(b, "cpu_time")
            for b in median_entries(data)}


def import_runs(path):
    """(wall s, user s, system s, peak KiB) of every whole import in import.txt."""
    with open(path) as f:
        return [[float(x) for x in line.split()] for line in f if len(line.split()) == 4]


def throughputs(path):
    """Median MB/s of every benchmark in a Google Benchmark JSON file."""
    with open(path) as f:
        data = json.load(f)
    return {b["run_name"].split("/")[0]: b["bytes_per_second"] / 1e6
            for b in median_entries(data) if "bytes_per_second" in b}


def megabytes_per_second(nbytes, ms):
    return nbytes / 1e6 / (ms / 1e3)


def main():
    results, document = sys.argv[1], sys.argv[2]
    mqo_bytes = os.path.getsize(document)
    obj_bytes = os.path.getsize(os.path.splitext(document)[0] + ".obj")
    load = medians(os.path.join(results, "load.json"))
    tokenizer = throughputs(os.path.join(results, "tokenizer.json"))
    runs = import_runs(os.path.join(results, "import.txt"))
    wall = statistics.median(r[0] for r in runs)
    cpu = statistics.median(r[1] + r[2] for r in runs)
    peak = statistics.median(r[3] for r in runs) * 1024

    instructions = {}
    with open(os.path.join(results, "instructions.txt")) as f:
        for line in f:
            name, count = line.split()
            instructions[name] = int(count) / 1e6
    small = os.path.join(results, "small", "torus.mqo")

    rows = [
        ("Load, CPU ms", load["BM_Load"],
         "Assimp ReadFile OBJ", load["BM_AssimpReadFileObj"]),
        ("Load, MB/s (target: ratio >= 1)", megabytes_per_second(mqo_bytes, load["BM_Load"]),
         "strtof scan", megabytes_per_second(mqo_bytes, load["BM_StrtofScan"])),
        ("Load, M instructions (%.1f MB torus)" % (os.path.getsize(small) / 1e6),
         instructions["BM_Load"], "Assimp ReadFile OBJ", instructions["BM_AssimpReadFileObj"]),
        ("Load, M instructions", instructions["BM_Load"], "strtof scan",
         instructions["BM_StrtofScan"]),
        ("ReadFloat3 tokenizing, MB/s", tokenizer["BM_TokenizerReadFloat3"],
         "strtof scan", tokenizer["BM_BaselineStrtofInMemory"]),
    ]
    print("Document: %d bytes (%.1f MB); the same torus as OBJ: %d bytes" %
          (mqo_bytes, mqo_bytes / 1e6, obj_bytes))
    print("Medians of %d runs; times are processor time of the process; instructions"
          " from callgrind, inside the timed call" % len(runs))
    print()
    print("%-40s %12s  %-22s %12s %8s" % ("benchmark", "ours", "anchor", "anchor's", "ratio"))
    for name, ours, anchor, theirs in rows:
        print("%-40s %12.1f  %-22s %12.1f %8.3f" % (name, ours, anchor, theirs, ours / theirs))
    print("%-40s %12.2f  %-22s %12s %8s" % ("varnel import --yes --json, wall s", wall, "-", "-", "-"))
    print("%-40s %12.2f  %-22s %12s %8s" % ("varnel import, CPU s", cpu, "-", "-", "-"))
    print("%-40s %12.1f  %-22s %12s %8s" % ("varnel import, peak resident MB", peak / 1e6, "-", "-",
                                             "-"))
    print("%-40s %12.2f  %-22s %12s %8s" % ("memory bytes per input byte", peak / mqo_bytes, "-",
                                             "-", "-"))


if __name__ == "__main__":
    main()
