#!/usr/bin/env bash
# The HTML page as a reader gets it: coastdown writes the page of the shipped
# example, a headless browser renders it offline to a PNG, and the page is
# read back as XML to find every section and every plot with one marker per
# one-second sample of each status, counted again from the --samples CSV.
#
#   .ci/html.sh [BUILD]      BUILD defaults to build; coastdown must be built there
set -euo pipefail
export LC_ALL=C
cd "$(dirname "$0")/.."
build=${1:-build}
[ -x "$build/coastdown" ] || { echo "html.sh: no $build/coastdown; build it first" >&2; exit 1; }

need_packages=()
command -v chromium >/dev/null || need_packages+=(chromium)
command -v python3 >/dev/null || need_packages+=(python3)
if [ ${#need_packages[@]} -gt 0 ]; then
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need_packages[@]}"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/coastdown-html.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp -R examples/light-wind "$work/test"
# The example's command line names its shipped folder; the copy takes its place.
command=$(head -n 1 examples/light-wind/COMMAND | tr -d '\r')
arguments="$work/test,${command#*,}"
page=$work/page.html

echo "== coastdown --html on a copy of examples/light-wind"
"$build/coastdown" --html "$page" --samples "$work/samples.csv" "$arguments"
[ -s "$page" ] || { echo "html.sh: coastdown wrote no page" >&2; exit 1; }

echo "== headless rendering (no network, fresh profile)"
browser=(chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run
  --disable-background-networking --disable-component-update --disable-sync
  --enable-logging=stderr --v=0 --window-size=1280,4000)
"${browser[@]}" --user-data-dir="$work/profile-shot" --screenshot="$work/page.png" "file://$page" \
  >"$work/shot.out" 2>"$work/shot.log"
"${browser[@]}" --user-data-dir="$work/profile-dom" --dump-dom "file://$page" >"$work/dom.html" 2>"$work/dom.log"
# The page holds no script, so any console message or failed load is a fault
# of the page (the browser's own complaints about D-Bus and the like are not).
if grep -hE 'CONSOLE|Uncaught|Failed to load|net::ERR_|Refused to' "$work/shot.log" "$work/dom.log"; then
  echo "html.sh: the browser reported errors loading the page" >&2
  exit 1
fi

echo "== the rendered PNG, the DOM and the page as XML"
python3 - "$page" "$work/dom.html" "$work/page.png" "$work/samples.csv" <<'PY'
import collections, csv, math, re, struct, sys, zlib
import xml.etree.ElementTree as ET

page_path, dom_path, png_path, csv_path = sys.argv[1:5]
failures = []

def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what)
    if not ok:
        failures.append(what)

# -- the PNG, read with zlib alone: not blank, more than a few colours.
def read_png(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    at, idat = 8, b""
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        at += 12 + length
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
    if depth != 8 or interlace != 0 or colour not in (2, 6):
        raise ValueError("unexpected PNG layout")
    bpp = 3 if colour == 2 else 4
    raw, stride = zlib.decompress(idat), width * bpp
    rows, previous, i = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[i], bytearray(raw[i + 1:i + 1 + stride])
        i += 1 + stride
        for x in range(stride):
            a = line[x - bpp] if x >= bpp else 0
            b = previous[x]
            c = previous[x - bpp] if x >= bpp else 0
            if kind == 1:
                line[x] = (line[x] + a) & 255
            elif kind == 2:
                line[x] = (line[x] + b) & 255
            elif kind == 3:
                line[x] = (line[x] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes(line))
        previous = line
    return width, height, bpp, rows

width, height, bpp, rows = read_png(png_path)
colours, ink = set(), 0
for row in rows[::4]:
    for x in range(0, width * bpp, bpp * 4):
        pixel = row[x:x + 3]
        colours.add(pixel)
        ink += pixel != b"\xff\xff\xff"
sampled = len(rows[::4]) * len(range(0, width * bpp, bpp * 4))
check(width == 1280 and height == 4000, "screenshot is 1280 x 4000 (%d x %d)" % (width, height))
check(ink > sampled * 0.02, "screenshot is not blank (%.1f %% of pixels not white)" % (100.0 * ink / sampled))
check(len(colours) >= 16, "screenshot has the plots' colours (%d distinct)" % len(colours))

# -- the DOM the browser built holds the whole document.
dom = open(dom_path, encoding="utf-8").read()
text = open(page_path, encoding="utf-8").read()
check('id="provenance"' in dom and dom.count("<svg") == text.count("<svg"),
      "browser read the whole page (%d of %d plots)" % (dom.count("<svg"), text.count("<svg")))

# -- the page itself: well-formed, self-contained, small, no "nan".
root = ET.fromstring(text)
check(len(text.encode("utf-8")) < 2_000_000, "page is under 2 MB (%d bytes)" % len(text.encode("utf-8")))
check(not re.search(r"(?i)(^|[^a-z])-?(nan|inf)([^a-z]|$)", text), "page shows no nan or inf")
outside = [e.tag for e in root.iter() if e.tag in ("script", "link", "img", "iframe", "object", "embed")]
outside += [v for e in root.iter() for k, v in e.attrib.items()
            if (k in ("href", "src") and not v.startswith("#")) or ("url(" in v and "url(#" not in v)]
check(not outside, "page needs nothing beside it " + (str(outside[:3]) if outside else ""))

sections = [e.get("id") for e in root.iter("section")]
check(sections == ["result", "road-load", "runs", "fit", "wind", "calibration", "provenance"],
      "sections in order: " + ", ".join(map(str, sections)))
plots = {e.get("data-plot"): e for e in root.iter("svg")}

# -- every sample plot against the samples CSV. A plot of a value the CSV
# carries is counted exactly; of one it leaves out (the residuals, the true
# wind), each status is drawn at most as often as the CSV has it, and the
# samples that value is defined for (used ones, filter outliers) exactly.
reader = csv.DictReader(open(csv_path, newline=""))
samples, columns = list(reader), set(reader.fieldnames or [])
def number(row, column):
    try:
        return math.isfinite(float(row[column]))
    except (KeyError, TypeError, ValueError):
        return False

def expected(kind, column=None):
    counts = collections.Counter()
    for row in samples:
        if row["set"] == kind and number(row, "speed_m_s") and (column is None or number(row, column)):
            counts[row["status"].replace(" ", "-")] += 1
    return counts

def drawn(name, *classes):
    plot = plots.get(name)
    counts = collections.Counter()
    if plot is None:
        return None
    for e in plot.iter():
        names = (e.get("class") or "").split()
        if "pt" in names and all(c in names for c in classes):
            counts[[n for n in names if n != "pt"][-1]] += 1
    return counts

def check_plot(name, kind, column, defined_for):
    got = drawn(name)
    if column in columns:
        want = expected(kind, column)
        ok = got == want
    else:
        want = expected(kind)
        ok = got is not None and all(got[s] <= want[s] for s in got) and all(got[s] == want[s] for s in defined_for)
    check(ok, "%s: one marker per sample of each status %s (drawn %s)" % (name, dict(want), got and dict(got)))

data_column = "force_N" if any(number(r, "force_N") for r in samples if r["set"] == "DATA") else "deceleration_m_s2"
check_plot("fit", "DATA", data_column, ())
check_plot("residual-speed", "DATA", "filter_residual_N", ("used", "filter-outlier"))
check_plot("residual-run", "DATA", "residual_N", ("used",))
check_plot("cal-yaw", "CAL", "yaw_deg", ())

used = [r for r in samples if r["set"] == "DATA" and r["status"] == "used"]
if "head_wind_m_s" in columns:
    wind = sum(1 for r in used if number(r, "head_wind_m_s") and number(r, "cross_wind_m_s"))
else:
    wind = len(used)  # every used sample has a true wind
got = drawn("wind-polar", "wind")
check(got is not None and sum(got.values()) == wind, "wind-polar: every used sample's true wind (%d)" % wind)
bars = plots.get("yaw-histogram")
binned = sum(int(e.get("data-count")) for e in bars.iter() if e.get("data-count")) if bars is not None else -1
check(binned == sum(1 for r in used if number(r, "yaw_deg")), "yaw-histogram: every used sample's yaw once (%d)" % binned)
runs = {r["run"] for r in samples if r["set"] == "DATA"}
lines = [e for e in root.iter() if e.get("data-run")]
check(len(lines) == len(runs), "speed-time: one line per DATA run (%d)" % len(lines))
for name in ("roadload", "cal-wind"):
    check(name in plots, name + ": drawn")

if failures:
    print("html.sh: %d check(s) failed" % len(failures), file=sys.stderr)
    sys.exit(1)
PY
echo "== the page of the example passed"
