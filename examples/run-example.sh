#!/usr/bin/env bash
# Analyses a shipped example test folder as a new user would: builds the
# programs when needed, copies the folder into a fresh temporary folder (the
# shipped files are never changed), runs coastdown on the copy with the
# example's own command line (and the options in its OPTIONS file, given in
# the copy, where the files they name are), and prints the report's results
# beside the true values the simulator wrote, then the whole report and
# where the HTML page with the plots of the test is.
#
#   examples/run-example.sh [NAME]      NAME defaults to light-wind; speed-only
#                                       is analysed with --method intervals
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
name=${1:-light-wind}
example=$top/examples/$name
[ -f "$example/COMMAND" ] || { echo "run-example: no example '$name' in $top/examples" >&2; exit 2; }

build=$top/build
if [ ! -f "$build/CMakeCache.txt" ]; then
  echo "run-example: configuring $build" >&2
  if ! cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null; then
    # Most often GoogleTest is missing; the programs themselves need nothing.
    echo "run-example: configuring again without the tests; once GoogleTest is installed," \
      "configure with -DCOASTDOWN_TESTS=ON to build them" >&2
    rm -f "$build/CMakeCache.txt"
    cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCOASTDOWN_TESTS=OFF >/dev/null
  fi
fi
echo "run-example: building coastdown and coastdown-sim (the first build takes a minute)" >&2
cmake --build "$build" -j2 --target coastdown coastdown-sim >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/coastdown-$name.XXXXXX")
cp -R "$example"/. "$work"/
# The example's command line names its shipped folder; the copy takes its place.
command=$(head -n 1 "$example/COMMAND" | tr -d '\r')
arguments="$work,${command#*,}"
page=$work/report.html
options=()
[ -f "$example/OPTIONS" ] && read -r -a options <"$example/OPTIONS"
echo "coastdown ${options[*]:+${options[*]} }--html $page $arguments"
status=0
(cd "$work" && "$build/coastdown" "${options[@]}" --html "$page" "$arguments") || status=$?
report=$work/VB6Output.txt
if [ ! -f "$report" ]; then
  echo "run-example: coastdown wrote no report (exit status $status); the copy is in $work" >&2
  exit 1
fi

# The value after LABEL on the first line that starts with it.
value() { tr -d '\r' <"$2" | awk -v l="$1" 'index($0, l) == 1 { $0 = substr($0, length(l) + 1); print $1; exit }'; }

echo
if [ -f "$example/OPTIONS" ]; then
  # The interval method: f0, f1, f2 at test conditions beside the truth there.
  printf '%-12s %-18s %-18s %s\n' "" "report" "truth" "difference"
  for n in 0 1 2; do
    got=$(value "f$n:  " "$report")
    want=$(value "Test f$n:" "$work/truth.txt")
    diff=$(awk -v a="$got" -v b="$want" 'BEGIN { printf "%+.2f %%", (a - b) / b * 100 }')
    printf '%-12s %-18s %-18s %s\n' "f$n" "$got" "$want" "$diff"
  done
  echo
  echo "f0, f1, f2 at test conditions: the forces 2*dv/dt average the road load over each"
  echo "interval, which the report states (\"Of these, the averaging ...\") and does not subtract."
  echo
  echo "== $report"
  tr -d '\r' <"$report"
  echo
  [ -f "$page" ] && echo "== the page with the plots of the test (open it in a browser): $page"
  exit "$status"
fi
printf '%-12s %-18s %-18s %s\n' "" "report" "truth" "difference"
for label in "Amech:" "Bmech:" "Cmech:" "Caero:" "Ctotl:" "Cd:" "Ka =" "Yaw Offset ="; do
  got=$(value "$label" "$report")
  want=$(value "$label" "$work/truth.txt")
  if [ "$label" = "Yaw Offset =" ]; then
    diff=$(awk -v a="$got" -v b="$want" 'BEGIN { printf "%+.3f deg", a - b }')
  else
    diff=$(awk -v a="$got" -v b="$want" 'BEGIN { if (b + 0 != 0) printf "%+.2f %%", (a - b) / b * 100; else print "-" }')
  fi
  shown=${label%:}
  printf '%-12s %-18s %-18s %s\n' "${shown% =}" "$got" "$want" "$diff"
done
echo
echo "Cmech and Caero trade a little of their sum between them (the wind tells them apart"
echo "only as far as it changes); Ctotl is their sum. truth.txt explains every value."
echo
echo "== $report"
tr -d '\r' <"$report"
echo
if [ -f "$page" ]; then
  echo "== the page with the plots of the test (open it in a browser): $page"
else
  echo "run-example: coastdown wrote no page" >&2
fi
exit "$status"
