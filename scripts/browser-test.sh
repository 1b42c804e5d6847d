#!/usr/bin/env bash
# Opens smarttag-host's HTML view of examples/*.txt in headless Chromium,
# saves screenshots, and checks through the DOM the browser built that every
# tag --format jsonl gives is highlighted over the same text with the same
# canonical form. Builds nothing: BUILD_DIR must hold bin/smarttag-host.
#   scripts/browser-test.sh BUILD_DIR
# Writes BUILD_DIR/browser-view/: tags.html, tags.jsonl, dom.html, tags.png
# (the top of the page), and popup.html with popup.png (examples/sample.txt
# alone, its first citation's pop-up open).
# CHROMIUM names the browser (default: chromium).
set -euo pipefail
if [ $# -ne 1 ]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
cd "$(dirname "$0")/.."
host="$build/bin/smarttag-host"
browser="${CHROMIUM:-chromium}"
out="$build/browser-view"
fail() { echo "browser-test: $*" >&2; exit 1; }

[ -x "$host" ] || fail "no $host (build the smarttag-host target first)"
command -v "$browser" >/dev/null || fail "no '$browser' browser (apt-get install chromium)"
rm -rf "$out"
mkdir -p "$out"

examples=(examples/*.txt)
host_run() { "$host" --no-progress "$@" 2>>"$out/host.log" || fail "smarttag-host $* failed (see $out/host.log)"; }
host_run --format html "${examples[@]}" >"$out/tags.html"
host_run --format jsonl --offsets "${examples[@]}" >"$out/tags.jsonl"
host_run --format html examples/sample.txt >"$out/popup.html"

# A profile of its own, so that runs in parallel do not share one.
flags=(--headless --no-sandbox --disable-gpu --hide-scrollbars --no-first-run --mute-audio
       --user-data-dir="$out/profile" --window-size=1280,2000)
url="file://$out/tags.html"
run_browser() {
  timeout 120 "$browser" "${flags[@]}" "$@" 2>>"$out/chromium.log" ||
    { tail -n 20 "$out/chromium.log" >&2; fail "chromium $* failed"; }
}
run_browser --screenshot="$out/tags.png" "$url"
run_browser --dump-dom "$url" >"$out/dom.html"
# A tag that is the page's target shows its pop-up; this page is shorter
# than the window, so going to the target scrolls nothing away.
citation=$(grep -o -m1 'id="doc-1-tag-[0-9]*" data-name="[^"]*Citation"' "$out/popup.html" | cut -d'"' -f2) ||
  fail "no citation in examples/sample.txt"
run_browser --screenshot="$out/popup.png" "file://$out/popup.html#$citation"

python3 - "$out" <<'EOF'
import html.parser
import json
import struct
import sys

out = sys.argv[1]
problems = []


class Marks(html.parser.HTMLParser):
    """Every <mark> of the DOM with its attributes, its text (nested marks'
    text included) and the data-name of the section it stands in."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.marks, self.open, self.section = [], [], None

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == "section":
            self.section = attrs.get("data-name")
        if tag == "mark":
            self.marks.append({"attrs": attrs, "text": "", "section": self.section})
            self.open.append(self.marks[-1])

    def handle_endtag(self, tag):
        if tag == "mark":
            if not self.open:
                problems.append("a </mark> closes no mark")
            else:
                self.open.pop()

    def handle_data(self, data):
        for mark in self.open:
            mark["text"] += data


def collapsed(text):
    return " ".join(text.split())


parser = Marks()
with open(f"{out}/dom.html", encoding="utf-8") as dom:
    parser.feed(dom.read())
parser.close()
if parser.open:
    problems.append(f"{len(parser.open)} marks never closed")
with open(f"{out}/tags.jsonl", encoding="utf-8") as lines:
    records = [json.loads(line) for line in lines]
marks = parser.marks
if not records:
    problems.append("smarttag-host found no tags in examples/*.txt")
if len(marks) != len(records):
    problems.append(f"{len(records)} tags in the JSON Lines output but {len(marks)} marks in the page")

documents = {}
for number, (record, mark) in enumerate(zip(records, marks), 1):
    attrs = mark["attrs"]
    where = f"tag {number} ({record['file']}, paragraph {record['paragraph']}, {record['text']!r})"
    if record["file"] not in documents:
        with open(record["file"], "rb") as document:
            documents[record["file"]] = document.read()
    # The browser reads CR LF and lone CR as LF.
    expected = (documents[record["file"]][record["byte_start"]:record["byte_start"] + record["byte_length"]]
                .decode("utf-8").replace("\r\n", "\n").replace("\r", "\n"))
    canonical = record["properties"].get("Citation")
    checks = [
        ("section", mark["section"], record["file"]),
        ("name", attrs.get("data-name"), record["name"]),
        ("byte start", attrs.get("data-byte-start"), str(record["byte_start"])),
        ("text", mark["text"], expected),
        ("text with the joining blanks", collapsed(mark["text"]), collapsed(record["text"])),
        ("canonical form", attrs.get("data-canonical"), canonical),
    ]
    for what, got, want in checks:
        if got != want:
            problems.append(f"{where}: {what} is {got!r} in the page, {want!r} in the JSON Lines")
    kind = "citation" if canonical is not None else "security" if "MarketSector" in record["properties"] else None
    if kind and attrs.get("class", "").split() != ["tag", kind]:
        problems.append(f"{where}: class {attrs.get('class')!r}, not highlighted as a {kind}")
    if canonical is not None and f"canonical: {canonical}" not in attrs.get("data-pop", ""):
        problems.append(f"{where}: the pop-up does not give the canonical form")

for name in ("tags.png", "popup.png"):
    with open(f"{out}/{name}", "rb") as png:
        head = png.read(24)
    if len(head) < 24 or head[:8] != b"\x89PNG\r\n\x1a\n":
        problems.append(f"{name} is not a PNG image")
        continue
    width, height = struct.unpack(">II", head[16:24])
    if (width, height) != (1280, 2000):
        problems.append(f"{name} is {width}x{height}, not 1280x2000")

if problems:
    for problem in problems[:50]:
        print(f"browser-test: {problem}", file=sys.stderr)
    if len(problems) > 50:
        print(f"browser-test: ... and {len(problems) - 50} more", file=sys.stderr)
    sys.exit(1)
print(f"browser-test: {len(marks)} tags highlighted with their text and canonical form; "
      f"screenshots in {out}/tags.png and popup.png")
EOF
