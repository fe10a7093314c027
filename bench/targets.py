#!/usr/bin/env python3
"""Prints every performance target beside the figures that bench/run.sh
gathered: ours, the anchor's, the ratio, the target and whether it is met.

   targets.py RESULTS_DIR DOCUMENT

Reads load.json and import.txt (reading and whole import), convert.txt and
corpus.txt (conversion; optional), catmull.txt and
catmull_callgrind.txt (subdivision), builder.txt, builder_fresh.txt and
builder_warm.txt (scene building in three states of the heap) from
RESULTS_DIR.
"""
import os
import statistics
import sys

from table import import_runs, medians


def table_fields(path):
    """The fields of every line of a printed table, column bars dropped."""
    with open(path) as f:
        for line in f:
            yield line.replace("|", " ").split()


def catmull_rows(path, level):
    """cage -> (ours ms, osd ms, ratio, paired ratio, ours B/f, osd B/f, write-back ms)
    at the level."""
    rows = {}
    for fields in table_fields(path):
        if len(fields) >= 13 and fields[0] in ("torus", "grid") and fields[1] == str(level):
            ours, osd, ratio, pairs = (float(x) for x in fields[3:7])
            rows[fields[0]] = (ours, osd, ratio, pairs, float(fields[9]), float(fields[10]),
                               float(fields[12]))
    return rows


def catmull_instructions(path):
    """cage -> (ours Ir, osd Ir) from catmull_callgrind.sh's table."""
    return {fields[0]: (int(fields[2]), int(fields[3])) for fields in table_fields(path)
            if len(fields) >= 5 and fields[0] in ("torus", "grid") and fields[2].isdigit()}


def builder_rows(path):
    """(mode, triangles) -> (M triangles/s, time per triangle against 10k)."""
    return {(fields[0], int(fields[1])): (float(fields[3]), float(fields[5]))
            for fields in table_fields(path)
            if len(fields) == 6 and fields[0] in ("off", "on") and fields[1].isdigit()}


def peak_bytes_per_input_byte(path, document_bytes):
    return statistics.median(run[3] * 1024 for run in import_runs(path)) / document_bytes


def convert_runs(path):
    """label -> [(wall s, user s, system s, peak KiB, user + system s)] from the
    lines "label wall user system peak" that run.sh writes; {} without the file."""
    runs = {}
    if not os.path.exists(path):
        return runs
    with open(path) as f:
        for line in f:
            fields = line.split()
            if len(fields) == 5:
                wall, user, system, peak = (float(x) for x in fields[1:])
                runs.setdefault(fields[0], []).append((wall, user, system, peak, user + system))
    return runs


def main():
    results, document = sys.argv[1], sys.argv[2]
    at = lambda name: os.path.join(results, name)
    rows = []  # (what, ours, anchor, ratio, target text, met or None)

    load = medians(at("load.json"))
    mb = os.path.getsize(document) / 1e6
    ratio = load["BM_Load"] / load["BM_AssimpReadFileObj"]
    rows.append(("Load time / Assimp ReadFile, ms", load["BM_Load"],
                 load["BM_AssimpReadFileObj"], ratio, "report", None))
    in_memory = mb / (load["BM_LoadBytes"] / 1e3)
    rows.append(("LoadBytes (in memory) MB/s", in_memory, None, None, ">= 500",
                 in_memory >= 500))
    reads = convert_runs(at("read.txt"))
    if reads:
        ours = statistics.median(run[0] for run in reads["varnel"])
        theirs = statistics.median(run[0] for run in reads["assimp"])
        rows.append(("varnel read / assimp info (OBJ), whole process s", ours, theirs,
                     ours / theirs, "<= 0.5", ours <= theirs / 2))
    ours, theirs = mb / (load["BM_Load"] / 1e3), mb / (load["BM_StrtofScan"] / 1e3)
    rows.append(("Load MB/s / strtof scan MB/s", ours, theirs, ours / theirs, ">= 1",
                 ours >= theirs))

    catmull = catmull_rows(at("catmull.txt"), 4)
    for cage, (ours, osd, ratio, pairs, ours_bf, osd_bf, with_back) in sorted(catmull.items(),
                                                                           reverse=True):
        rows.append(("Catmull L4 %s time / OSD, ms" % cage, ours, osd, ratio, "<= 0.5",
                     ratio <= 0.5))
        rows.append(("  same, median of paired ratios", None, None, pairs, "<= 0.5",
                     pairs <= 0.5))
        rows.append(("Catmull L4 %s peak / OSD, B/face" % cage, ours_bf, osd_bf,
                     ours_bf / osd_bf, "<= 1", ours_bf <= osd_bf))
        rows.append(("  write-back alone, ms", with_back, None, None, "report", None))
    for cage, (ours, osd) in sorted(catmull_instructions(at("catmull_callgrind.txt")).items(),
                                    reverse=True):
        rows.append(("Catmull L2 %s instructions / OSD, M" % cage, ours / 1e6, osd / 1e6,
                     ours / osd, "<= 0.5", ours <= osd / 2))

    states = (("builder.txt", "heap as the process starts"),
              ("builder_fresh.txt", "every large block fresh"),
              ("builder_warm.txt", "warm heap"))
    tables = [(builder_rows(at(name)), state) for name, state in states]
    for mode in ("off", "on"):
        for number, (table, state) in enumerate(tables):
            rate = table[(mode, 1000000)][0]
            what = "SetMQOModel 1M, same UV %s, M tri/s" % mode if number == 0 else "  same"
            rows.append(("%s, %s" % (what, state), rate, None, None, ">= 10", rate >= 10))
        for table, state in tables:
            flat = table[(mode, 1000000)][1]
            rows.append(("  per triangle 1M / 10k, %s" % state, None, None, flat, "<= 1.5",
                         flat <= 1.5))

    conversion = convert_runs(at("convert.txt"))
    for suffix, extension in (("", ".glb"), (".gltf", ".gltf"), (".obj", ".obj"),
                              (".fbx", ".fbx")):
        ours_runs, their_runs = conversion.get("varnel" + suffix), conversion.get("assimp" + suffix)
        if not ours_runs or not their_runs:
            continue
        for field, what, unit in ((0, "wall time", "s"), (4, "processor time", "s"),
                                  (3, "peak memory", "MiB")):
            ours = statistics.median(run[field] for run in ours_runs)
            theirs = statistics.median(run[field] for run in their_runs)
            if unit == "MiB":
                ours, theirs = ours / 1024, theirs / 1024
            target = "<= 1" if field != 4 else "report"
            rows.append(("Convert torus %s / assimp export OBJ, %s, %s" % (extension, what, unit),
                         ours, theirs, ours / theirs, target,
                         None if field == 4 else ours <= theirs))
    corpus = convert_runs(at("corpus.txt"))
    for jobs in ("j1", "j2"):
        if corpus.get(jobs):
            wall = statistics.median(run[0] for run in corpus[jobs])
            rows.append(("Convert ../shared/corpus -%s %s, wall s" % (jobs[0], jobs[1:]), wall,
                         None, None, "report", None))

    rows.append(("Whole import, memory / input byte", None, None,
                 peak_bytes_per_input_byte(at("import.txt"), os.path.getsize(document)),
                 "report", None))

    number = lambda x, f: "-" if x is None else f % x
    print("%-66s %10s %10s %7s %9s  %s" % ("target", "ours", "anchor", "ratio", "target",
                                           "status"))
    for what, ours, anchor, ratio, target, met in rows:
        status = "-" if met is None else ("met" if met else "NOT MET")
        print("%-66s %10s %10s %7s %9s  %s" % (what, number(ours, "%.1f"), number(anchor, "%.1f"),
                                               number(ratio, "%.3f"), target, status))


main()
