#!/usr/bin/python3
"""find_citations from Python beside the C++ API, on the same documents.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_bench.py [--passes N] [--rounds R] [FILE...]

FILEs default to ../shared/corpus/*.txt. For each thread count (1 and 2),
each round runs build/bin/api_bench (smarttag::FindCitations in C++) and
then the same passes from Python: document i goes to thread i % T, as in
api_bench. Python is timed on str documents made afresh before each pass
(so that every call pays for the UTF-8 conversion a first call pays) and on
bytes. Printed: medians over all passes of all rounds of documents/s and
code points/s, on the wall clock and in the threads' processor time, and the
binding's overhead against C++ in the same run.
"""

import argparse
import concurrent.futures
import json
import os
import pathlib
import statistics
import subprocess
import sys
import time

REPO = pathlib.Path(__file__).resolve().parent.parent
sys.path.insert(0, str(REPO / "build" / "python"))
import smarttag  # noqa: E402


def python_pass(documents, threads, pool):
    """(wall seconds, processor seconds summed over the threads, citations) of one pass."""

    def work(t):
        begin = time.thread_time()
        found = sum(len(smarttag.find_citations(d)) for d in documents[t::threads])
        return time.thread_time() - begin, found

    start = time.perf_counter()
    if threads == 1:
        results = [work(0)]
    else:
        results = list(pool.map(work, range(threads)))
    wall = time.perf_counter() - start
    return wall, sum(r[0] for r in results), sum(r[1] for r in results)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("files", nargs="*")
    parser.add_argument("--passes", type=int, default=5)
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--bench", default=str(REPO / "build" / "bin" / "api_bench"))
    args = parser.parse_args()
    files = args.files or sorted(str(p) for p in (REPO.parent / "shared" / "corpus").glob("*.txt"))
    data = [pathlib.Path(f).read_bytes() for f in files]
    texts = [d.decode("utf-8") for d in data]
    chars = sum(len(t) for t in texts)
    smarttag.find_citations("")
    print(f"{len(files)} documents, {sum(map(len, data))} bytes, {chars} code points; smarttag {smarttag.__version__}, "
          f"Python {sys.version.split()[0]} at {sys.executable}, {os.cpu_count()} processors, "
          f"load average {os.getloadavg()[0]:.1f}")

    rows = []
    for threads in (1, 2):
        cpp_wall, cpp_cpu, py = [], [], {"str": ([], []), "bytes": ([], [])}
        expected = None
        with concurrent.futures.ThreadPoolExecutor(threads) as pool:
            for _ in range(args.rounds):
                out = subprocess.run([args.bench, "--passes", str(args.passes), "--threads", str(threads), *files],
                                     check=True, capture_output=True, text=True).stdout
                cpp = json.loads(out)
                expected = cpp["citations"]
                # api_bench gives medians of its passes; each round counts once per pass.
                cpp_wall += [cpp["wall_median_s"]] * args.passes
                cpp_cpu += [cpp["cpu_median_s"]] * args.passes
                for kind in ("str", "bytes"):
                    for _ in range(args.passes):
                        documents = [(t + ".")[:-1] for t in texts] if kind == "str" else data
                        wall, cpu, found = python_pass(documents, threads, pool)
                        assert found == expected, (found, expected)
                        py[kind][0].append(wall)
                        py[kind][1].append(cpu)
        base_wall, base_cpu = statistics.median(cpp_wall), statistics.median(cpp_cpu)
        rows.append((f"C++ FindCitations, {threads} thread{'s' * (threads > 1)}", base_wall, base_cpu, None, None))
        for kind in ("str", "bytes"):
            wall, cpu = statistics.median(py[kind][0]), statistics.median(py[kind][1])
            rows.append((f"Python find_citations({kind}), {threads} thread{'s' * (threads > 1)}", wall, cpu,
                         wall / base_wall - 1, cpu / base_cpu - 1))

    print(f"\n{'':42} {'docs/s':>8} {'M chars/s':>10} {'docs/s':>8} {'M chars/s':>10} {'overhead':>9} {'overhead':>9}")
    print(f"{'':42} {'(wall)':>8} {'(wall)':>10} {'(cpu)':>8} {'(cpu)':>10} {'(wall)':>9} {'(cpu)':>9}")
    for name, wall, cpu, over_wall, over_cpu in rows:
        extra = "" if over_wall is None else f" {over_wall:+9.1%} {over_cpu:+9.1%}"
        print(f"{name:42} {len(files) / wall:8.0f} {chars / wall / 1e6:10.1f} {len(files) / cpu:8.0f} "
              f"{chars / cpu / 1e6:10.1f}{extra}")


if __name__ == "__main__":
    main()
