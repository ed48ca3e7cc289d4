#!/usr/bin/env bash
# The Windows programs: cross-built with MinGW-w64, packed into the zip, and
# run under Wine beside the Linux build on the same test folders. Every
# report must equal the Linux one byte for byte but for its "Report
# Generated on" line; exit statuses, standard output and standard error
# (paths aside) must be the same. The file layer's own test
# (tests/common/FileSystem_test.cpp) runs under Wine too.
#
# Uses the Linux build in build/ (as .ci/run leaves it; another folder with
# COASTDOWN_LINUX_BUILD=DIR) and builds the two programs there when they are
# missing. Run from anywhere: bash .ci/windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS

need_packages=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null || need_packages+=(g++-mingw-w64-x86-64-posix)
command -v x86_64-w64-mingw32-objdump >/dev/null || need_packages+=(binutils-mingw-w64-x86-64)
command -v wine >/dev/null || need_packages+=(wine wine64)
command -v unzip >/dev/null || need_packages+=(unzip)
[ -f /usr/src/googletest/CMakeLists.txt ] || need_packages+=(googletest)
if [ ${#need_packages[@]} -gt 0 ]; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need_packages[@]}"
fi

linux_build=${COASTDOWN_LINUX_BUILD:-build}
if [ ! -x "$linux_build/coastdown" ] || [ ! -x "$linux_build/sim/coastdown-sim" ]; then
  echo "== Linux build ($linux_build/ had no programs)"
  cmake -S . -B "$linux_build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$linux_build" -j2 --target coastdown coastdown-sim
fi
linux=$(realpath "$linux_build/coastdown")
linux_sim=$(realpath "$linux_build/sim/coastdown-sim")

echo "== cross-build for Windows (MinGW-w64) and the zip"
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DCOASTDOWN_TESTS=OFF -DCOASTDOWN_BENCHMARKS=OFF -DCOASTDOWN_GTEST_SOURCE=/usr/src/googletest >/dev/null
cmake --build build-win -j2
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-win/CMakeCache.txt)
(cd build-win && cpack -G ZIP >/dev/null)
zip=build-win/coastdown-$version-win64.zip
[ -f "$zip" ] || { echo "no $zip"; exit 1; }

# The programs must stand alone: only DLLs that come with Windows.
for exe in build-win/coastdown.exe build-win/sim/coastdown-sim.exe; do
  dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
  extra=$(echo "$dlls" | grep -v -x -E 'kernel32\.dll|msvcrt\.dll|ucrtbase\.dll|api-ms-win-[a-z0-9-]+\.dll|advapi32\.dll|user32\.dll|shell32\.dll|ws2_32\.dll|bcrypt\.dll' || true)
  if [ -n "$extra" ]; then
    echo "FAIL: $exe needs $extra"
    exit 1
  fi
  echo "$exe needs only: $(echo $dlls)"
done

work=$(mktemp -d /tmp/coastdown-windows.XXXXXX)
export WINEPREFIX=$work/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

passed=0
failed=0
fail() {
  echo "FAIL: $*"
  failed=$((failed + 1))
}

echo "== Wine prefix"
mkdir -p "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
wineserver -w
# One server for all the runs below: each start of a program is then quick.
wineserver -p

echo "== the file layer's test, under Wine"
if wine build-win/coastdown_file_layer_tests.exe >"$work/file-layer-tests.log" 2>&1; then
  passed=$((passed + 1))
  echo "ok   coastdown_file_layer_tests.exe: $(grep -a '^\[  PASSED  \]' "$work/file-layer-tests.log" | tr -d '\r')"
else
  grep -a -E 'Failure|Expected|Which is|FAILED' "$work/file-layer-tests.log" | tr -d '\r' | head -20
  fail "coastdown_file_layer_tests.exe"
fi

# The programs as a Windows user gets them: from the unpacked zip.
unzip -q "$zip" -d "$work/zip"
win_dir=$work/zip/coastdown-$version-win64
for f in coastdown.exe coastdown-sim.exe README.md LICENSE examples/light-wind/COMMAND; do
  [ -f "$win_dir/$f" ] || { echo "FAIL: the zip has no $f"; exit 1; }
done
windows=$win_dir/coastdown.exe
windows_sim=$win_dir/coastdown-sim.exe

first_lines_of_diff() { diff "$1" "$2" | head -4 | tr '\n' ' ' || true; }

# Wine shows the Linux root as drive Z:.
to_windows() { local p; p=$(realpath "$1"); printf 'Z:%s' "${p//\//\\}"; }

# run_both NAME [--typed] ARGS...: the Linux and the Windows coastdown on
# their own copies of the folder $work/NAME, with FOLDER in the arguments
# standing for the copy's path; compares status, output, error lines,
# report and what the folder holds afterwards. With --typed the Windows
# command line is the arguments joined with blanks, as typed into cmd.exe
# (through a batch file); otherwise Wine quotes each argument as needed.
run_both() {
  local name=$1
  shift
  local typed=false
  if [ "${1:-}" = --typed ]; then
    typed=true
    shift
  fi
  local lin=$work/lin/$name win=$work/win/$name
  mkdir -p "$(dirname "$lin")" "$(dirname "$win")"
  cp -a "$work/$name" "$lin"
  cp -a "$work/$name" "$win"
  local lin_args=() win_args=() a winpath
  winpath=$(to_windows "$win")
  for a in "$@"; do
    lin_args+=("${a//FOLDER/$lin}")
    win_args+=("${a//FOLDER/$winpath}")
  done
  local lin_status=0 win_status=0
  "$linux" "${lin_args[@]}" >"$work/lin.out" 2>"$work/lin.err" || lin_status=$?
  run_windows() {
    win_status=0
    if $typed; then
      printf '@echo off\r\n"%s" %s\r\n' "$(to_windows "$windows")" "${win_args[*]}" >"$work/typed.bat"
      wine cmd /c "$(to_windows "$work/typed.bat")" >"$work/win.out" 2>"$work/win.err" || win_status=$?
    else
      LC_ALL=C.UTF-8 wine "$windows" "${win_args[@]}" >"$work/win.out" 2>"$work/win.err" || win_status=$?
    fi
  }
  run_windows
  # coastdown never fails without a line on standard error: a failure that
  # printed nothing and left the folder as it was is Wine's own (seen once on a
  # loaded machine: status 1, no output, the program never ran). Once more on
  # a fresh copy; a second such failure counts.
  if [ "$win_status" != 0 ] && [ ! -s "$work/win.out" ] && [ ! -s "$work/win.err" ] &&
     diff -r -q "$work/$name" "$win" >/dev/null; then
    echo "note: $name: Wine ended the Windows run with status $win_status before it printed anything; run again"
    rm -rf "$win"
    cp -a "$work/$name" "$win"
    run_windows
  fi
  # Windows writes its console lines with CR LF and its paths with \.
  tr -d '\r' <"$work/win.out" >"$work/win.out.lf"
  tr -d '\r' <"$work/win.err" | sed "s|$(printf '%s' "$winpath" | sed 's/[\\.]/\\&/g')|FOLDER|g; s|\\\\|/|g" >"$work/win.err.lf"
  sed "s|$lin|FOLDER|g" "$work/lin.err" >"$work/lin.err.lf"
  local why=""
  [ "$lin_status" = "$win_status" ] || why+=" exit status $lin_status on Linux, $win_status on Windows;"
  cmp -s "$work/lin.out" "$work/win.out.lf" || why+=" standard output differs;"
  cmp -s "$work/lin.err.lf" "$work/win.err.lf" || why+=" standard error differs: $(first_lines_of_diff "$work/lin.err.lf" "$work/win.err.lf");"
  if [ -f "$lin/VB6Output.txt" ] || [ -f "$win/VB6Output.txt" ]; then
    if ! cmp -s <(grep -av '^Report Generated on ' "$lin/VB6Output.txt") \
                <(grep -av '^Report Generated on ' "$win/VB6Output.txt"); then
      why+=" report differs: $(first_lines_of_diff <(grep -av '^Report Generated on ' "$lin/VB6Output.txt") \
        <(grep -av '^Report Generated on ' "$win/VB6Output.txt"));"
    fi
    reports=$((reports + 1))
  fi
  [ "$(cd "$lin" && ls -A)" = "$(cd "$win" && ls -A)" ] || why+=" the folders differ afterwards;"
  last_error=$(sed -n 's/^coastdown: run-time error \([0-9]*\):.*/\1/p' "$work/lin.err")
  if [ -n "$why" ]; then
    fail "$name:$why"
  else
    passed=$((passed + 1))
    echo "ok   $name (exit $lin_status${last_error:+, run-time error $last_error})"
  fi
}
# expect_error N: the last run_both ended with run-time error N.
expect_error() { [ "$last_error" = "$1" ] || fail "run-time error ${last_error:-none}, expected $1"; }
reports=0

echo "== the shipped example and simulated tests, Linux and Windows"
cp -a examples/light-wind "$work/example"
run_both example "FOLDER,$(cut -d, -f2- examples/light-wind/COMMAND)"

scenarios=("still-air 11" "light-wind 12" "crosswind 13" "anemometer-errors 14" "noisy 15" "hot-day 16" "truck 17")
for s in "${scenarios[@]}"; do
  set -- $s
  "$linux_sim" --out "$work/$1" --scenario "$1" --seed "$2" >/dev/null
  run_both "$1" "FOLDER,$(cut -d, -f2- "$work/$1/COMMAND")"
done
"$linux_sim" --out "$work/known-cd" --scenario light-wind --seed 18 --known-cd 0.32 >/dev/null
run_both known-cd "FOLDER,$(cut -d, -f2- "$work/known-cd/COMMAND")"
fields="$(cut -d, -f2- "$work/light-wind/COMMAND")"

# A folder name with blanks and characters outside ASCII, after options;
# and a folder with blanks quoted as a user types it into cmd.exe.
mkdir -p "$work/Prüfung 7"
cp -a "$work/light-wind" "$work/Prüfung 7/Lauf Ω"
run_both "Prüfung 7/Lauf Ω" --quiet -- "FOLDER,$fields"
cp -a "$work/crosswind" "$work/with blanks"
run_both "with blanks" --typed --quiet "\"FOLDER\",$fields"

# The file layer: an empty run file ends its set and is deleted, a
# temporary left by a run that died is removed, an old report is replaced.
cp -a "$work/light-wind" "$work/file-layer"
: >"$work/file-layer/DATA.7"
echo "half a report" >"$work/file-layer/VB6Output.txt.writing-99999"
touch -d '1 hour ago' "$work/file-layer/VB6Output.txt.writing-99999"
echo "old report" >"$work/file-layer/VB6Output.txt"
run_both file-layer "FOLDER,$fields"
[ ! -e "$work/win/file-layer/DATA.7" ] || fail "file-layer: the empty DATA.7 is still there on Windows"
[ ! -e "$work/win/file-layer/VB6Output.txt.writing-99999" ] || fail "file-layer: the dead run's temporary is still there"

echo "== errors: the same numbers and exit statuses"
for name in too-few-fields not-a-number missing-folder through-file cal-folder unknown-option version help \
  empty-command-line; do
  cp -a "$work/light-wind" "$work/$name"
done
rm "$work/cal-folder/CAL.1" && mkdir "$work/cal-folder/CAL.1"
run_both too-few-fields "FOLDER,True" && expect_error 9
run_both not-a-number "FOLDER,$(echo "$fields" | cut -d, -f1-4),heavy,$(echo "$fields" | cut -d, -f6-)" && expect_error 13
run_both missing-folder "FOLDER/missing,$fields" && expect_error 76
run_both through-file "FOLDER/CAL.2,$fields" && expect_error 76
run_both cal-folder "FOLDER,$fields" && expect_error 75
run_both unknown-option --bogus "FOLDER,$fields" && expect_error 5
run_both version --version
run_both help --help
run_both empty-command-line

echo "== coastdown-sim.exe writes a test folder that coastdown.exe analyses"
wine "$windows_sim" --out "$(to_windows "$work/sim-win")" --scenario hot-day --seed 16 >/dev/null
for f in "$work/hot-day"/*; do
  name=$(basename "$f")
  [ "$name" = COMMAND ] && continue
  cmp -s "$f" "$work/sim-win/$name" || fail "coastdown-sim.exe wrote a different $name than coastdown-sim"
done
status=0
LC_ALL=C.UTF-8 wine "$windows" "$(cat "$work/sim-win/COMMAND")" >/dev/null 2>&1 || status=$?
if [ "$status" != 0 ] || ! cmp -s <(grep -av '^Report Generated on ' "$work/sim-win/VB6Output.txt") \
                                 <(grep -av '^Report Generated on ' "$work/lin/hot-day/VB6Output.txt"); then
  fail "coastdown.exe on the folder of coastdown-sim.exe (exit $status)"
else
  passed=$((passed + 1))
  echo "ok   coastdown-sim.exe folder analysed, report as on Linux"
fi

echo "== Windows: $reports reports compared, $((SECONDS - start)) s"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
