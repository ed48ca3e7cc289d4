#!/usr/bin/env bash
# The Linux packages and the install rules, checked as a user meets them:
# CPack's .tar.gz and .deb from the Linux build, the .deb installed into a
# scratch root with dpkg and removed again, the .tar.gz unpacked, and
# `cmake --install` into a scratch prefix. In each the installed coastdown
# must run and analyse the installed example, and each program's manual page
# must read without warnings. lintian, where it is installed, checks the .deb
# as a distribution would.
#
# Uses the Linux build in build/ (as .ci/run leaves it; another folder with
# COASTDOWN_LINUX_BUILD=DIR), configures it when it is missing, and builds
# what is not built yet. Run from anywhere: bash .ci/packages.sh
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS

build=${COASTDOWN_LINUX_BUILD:-build}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

echo "== packages (CPack)"
(cd "$build" && cpack -G "TGZ;DEB" >/dev/null)
tarball=$build/coastdown-$version-Linux.tar.gz
deb=$build/coastdown_${version}_$(dpkg --print-architecture).deb
ls -l "$tarball" "$deb"

work=$(mktemp -d /tmp/coastdown-packages.XXXXXX)
trap 'rm -rf "$work"' EXIT

passed=0
failed=0
fail() {
  echo "FAIL: $*"
  failed=$((failed + 1))
}

# check_installed WHAT PREFIX: the programs, the documents and the manual
# page under PREFIX, laid out by GNUInstallDirs, and the programs working.
check_installed() {
  local what=$1 prefix=$2 problems=$failed
  for f in bin/coastdown bin/coastdown-sim bin/coastdown-import share/doc/coastdown/README.md \
    share/doc/coastdown/LICENSE share/doc/coastdown/copyright share/doc/coastdown/examples/light-wind/COMMAND \
    share/man/man1/coastdown.1.gz share/man/man1/coastdown-sim.1.gz share/man/man1/coastdown-import.1.gz; do
    [ -f "$prefix/$f" ] || fail "$what: no $f"
  done
  local shown
  shown=$("$prefix/bin/coastdown" --version) || fail "$what: coastdown --version failed"
  [ "$shown" = "coastdown $version" ] || fail "$what: coastdown --version says '$shown'"
  shown=$("$prefix/bin/coastdown-import" --version) || fail "$what: coastdown-import --version failed"
  [ "$shown" = "coastdown-import $version" ] || fail "$what: coastdown-import --version says '$shown'"
  # The installed example, analysed in a copy as the README says.
  local example=$work/$what-example
  cp -r "$prefix/share/doc/coastdown/examples/light-wind" "$example"
  "$prefix/bin/coastdown" --quiet "$example,$(cut -d, -f2- "$example/COMMAND")" ||
    fail "$what: the installed coastdown failed on the installed example"
  grep -q '^Amech: ' "$example/VB6Output.txt" 2>/dev/null || fail "$what: no report for the example"
  # The installed simulator writes a folder that the installed analysis takes.
  "$prefix/bin/coastdown-sim" --out "$work/$what-sim" --scenario hot-day --seed 3 >/dev/null ||
    fail "$what: coastdown-sim failed"
  "$prefix/bin/coastdown" --quiet "$(cat "$work/$what-sim/COMMAND")" ||
    fail "$what: coastdown failed on the folder coastdown-sim wrote"
  if command -v groff >/dev/null; then
    local program synopsis warnings page
    for program in coastdown coastdown-sim; do
      synopsis='FOLDER,CALIBRATE,ZERO'
      [ "$program" = coastdown ] || synopsis='coastdown-sim --out DIR'
      warnings=$(gzip -dc "$prefix/share/man/man1/$program.1.gz" | groff -man -Tutf8 -ww -z 2>&1)
      [ -z "$warnings" ] || fail "$what: the manual page of $program has roff warnings: $warnings"
      page=$(gzip -dc "$prefix/share/man/man1/$program.1.gz" | groff -man -Tutf8 2>/dev/null | sed 's/.\x08//g')
      [[ $page == *"$synopsis"* ]] || fail "$what: the manual page of $program shows no synopsis"
    done
  fi
  if [ "$failed" = "$problems" ]; then
    passed=$((passed + 1))
    echo "ok   $what"
  fi
}

echo "== the .deb as a distribution checks it (lintian)"
# Tags that stay, each for a reason:
#  statically-linked-binary  both programs are linked statically on purpose:
#                            one run is one process start, and loading the
#                            shared C++ runtime costs as much as analysing a
#                            whole test (README, Performance).
#  malformed-contact         the project has no mail address of its own; whoever
#                            builds packages for others configures theirs with
#                            -DCOASTDOWN_PACKAGE_CONTACT="Name <address>".
#  no-changelog              the project's history is its git log; there is no
#                            release changelog (nor a maintainer address for its
#                            trailer lines) to ship.
#  extra-license-file        (info) LICENSE stays beside README in every package,
#                            the tarball's and the zip's only licence; the .deb
#                            has its copyright file besides.
#  binary-has-unneeded-section (info) the .comment of the static C library's
#                            objects, which stripping keeps.
if command -v lintian >/dev/null; then
  if lintian --fail-on error,warning \
    --suppress-tags statically-linked-binary,malformed-contact,no-changelog,extra-license-file,binary-has-unneeded-section \
    "$deb"; then
    passed=$((passed + 1))
    echo "ok   lintian: no tag but those explained above"
  else
    fail "lintian found a tag not explained in .ci/packages.sh"
  fi
else
  echo "(lintian is not installed: apt-get install lintian)"
fi

echo "== the .deb, installed into a scratch root and removed again"
dpkg-deb --info "$deb" | grep -E '^ (Package|Version|Architecture|Depends):' || true
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
: >"$root/var/lib/dpkg/status"
dpkg --root="$root" --admindir="$root/var/lib/dpkg" --force-script-chrootless -i "$deb" >/dev/null
check_installed deb "$root/usr"
dpkg --root="$root" --admindir="$root/var/lib/dpkg" --force-script-chrootless -r coastdown >/dev/null
left=$(find "$root" -path "$root/var" -prune -o -type f -print | head -3)
if [ -z "$left" ]; then
  passed=$((passed + 1))
  echo "ok   deb removed without a trace"
else
  fail "deb: files left after removal: $left"
fi

echo "== the .tar.gz, unpacked"
mkdir -p "$work/tgz"
tar -xzf "$tarball" -C "$work/tgz"
check_installed tgz "$work/tgz/coastdown-$version-Linux"

echo "== cmake --install into a scratch prefix"
cmake --install "$build" --prefix "$work/prefix" >/dev/null
check_installed cmake-install "$work/prefix"

echo "== packages: $((SECONDS - start)) s"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
