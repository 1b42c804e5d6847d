#!/usr/bin/env bash
# smarttag-host on the corpus as JSON Lines, repeated to each size given:
# characters (code points) per second with --jobs 1 and --jobs 2, and peak
# resident memory, which must stay flat as the input grows.
#
#   bench/host_throughput.sh [MEGABYTES...]     (default: 20 200)
#
# Environment: HOST (default build/bin/smarttag-host), CORPUS (default
# ../shared/corpus). Needs python3 and GNU time (/usr/bin/time).
set -euo pipefail
cd "$(dirname "$0")/.."

host=${HOST:-build/bin/smarttag-host}
corpus=${CORPUS:-../shared/corpus}
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(20 200)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf '%8s %5s %10s %12s %10s\n' MB jobs seconds chars/s peak_MB
for size in "${sizes[@]}"; do
    input="$work/corpus_$size.jsonl"
    chars=$(python3 - "$corpus" "$size" "$input" <<'PY'
import glob, json, os, sys
corpus, megabytes, path = sys.argv[1], int(sys.argv[2]), sys.argv[3]
documents = [(os.path.basename(p), open(p, encoding="utf-8-sig").read()) for p in sorted(glob.glob(corpus + "/*.txt"))]
written = chars = round = 0
with open(path, "w", encoding="utf-8") as out:
    while written < megabytes * 1000000:
        for name, text in documents:
            line = json.dumps({"id": "%s#%d" % (name, round), "text": text}) + "\n"
            out.write(line)
            written += len(line.encode("utf-8"))
            chars += len(text)
        round += 1
print(chars)
PY
)
    for jobs in 1 2; do
        /usr/bin/time -f '%e %M' -o "$work/time" "$host" --jobs "$jobs" --input jsonl --format jsonl "$input" \
            >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
        read -r seconds kilobytes <"$work/time"
        python3 -c 'import sys; mb, jobs, s, c, kb = sys.argv[1:]; s = float(s)
print("%8s %5s %10.2f %12.0f %10.1f" % (mb, jobs, s, int(c) / s if s else 0, int(kb) / 1024))' \
            "$size" "$jobs" "$seconds" "$chars" "$kilobytes"
    done
done
