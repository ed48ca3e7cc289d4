#!/usr/bin/env bash
# Analyses a shipped example test folder as a new user would: builds the
# programs when needed, copies the folder into a fresh temporary folder (the
# shipped files are never changed), runs coastdown on the copy with the
# example's own command line, and prints the report's results beside the
# true values the simulator wrote, then the whole report.
#
#   examples/run-example.sh [NAME]      NAME defaults to light-wind
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
name=${1:-light-wind}
example=$top/examples/$name
[ -f "$example/COMMAND" ] || { echo "run-example: no example '$name' in $top/examples" >&2; exit 2; }

if [ ! -f "$top/build/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$top/build" -j2 --target coastdown >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/coastdown-$name.XXXXXX")
cp "$example"/ZERO.* "$example"/CAL.* "$example"/DATA.* "$example/truth.txt" "$work"/ 2>/dev/null || true
# The example's command line names its shipped folder; the copy takes its place.
command=$(head -n 1 "$example/COMMAND" | tr -d '\r')
arguments="$work,${command#*,}"
echo "coastdown $arguments"
status=0
"$top/build/coastdown" "$arguments" || status=$?
if [ ! -f "$work/VB6Output.txt" ]; then
  echo "run-example: coastdown wrote no report (exit status $status); the copy is in $work" >&2
  exit 1
fi

echo
printf '%-7s %-16s %-16s %s\n' "" "report" "truth" "difference"
for label in Amech Bmech Cmech Caero Ctotl Cd; do
  got=$(tr -d '\r' <"$work/VB6Output.txt" | awk -v l="$label:" '$1 == l { print $2; exit }')
  want=$(awk -v l="$label:" '$1 == l { print $2; exit }' "$work/truth.txt")
  diff=$(awk -v a="$got" -v b="$want" 'BEGIN { if (b + 0 != 0) printf "%+.2f %%", (a - b) / b * 100; else print "-" }')
  printf '%-7s %-16s %-16s %s\n' "$label" "$got" "$want" "$diff"
done
echo
echo "== $work/VB6Output.txt"
tr -d '\r' <"$work/VB6Output.txt"
exit "$status"
