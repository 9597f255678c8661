#!/usr/bin/env bash
# tests/packaging/installer_round.sh BUILD_DIR ROUND_EXE
# tests/packaging/installer_round.sh BUILD_DIR --file-check OBJDUMP
# Builds the release (zip and installer) and runs the installer round in a
# Wine prefix of its own, made afresh for every run, so the shared test
# prefix never holds an installed Nimbrel. Where 32-bit programs cannot run,
# checks the installer's file instead. Prints the installer's size.
set -euo pipefail
build=$(cd "$1" && pwd)
round=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$build/tests/work/installer_round
windows_path() { local p=$1; echo "Z:${p//\//\\}"; }

rm -rf "$work"
mkdir -p "$work"
if ! (cd "$build" && cpack -G 'ZIP;NSIS' >"$work/cpack.log" 2>&1); then
  cat "$work/cpack.log"
  exit 1
fi
setup=$(ls "$build"/nimbrel-*-setup.exe)
zip=$(ls "$build"/nimbrel-*-win32.zip)
echo "installer: $(basename "$setup"), $(stat -c %s "$setup") bytes"
if [ "$round" = --file-check ]; then
  echo "no 32-bit execution here: the installer's file is checked, not run"
  exec cmake -DOBJDUMP="$3" -DFILE="$setup" -DFORMAT=pei-i386 -P "$root/cmake/CheckPortableExecutable.cmake"
fi
cmake -E tar tf "$zip" | grep -v '/$' >"$work/zip-listing.txt"

export WINEPREFIX=$work/prefix
export NIMBREL_KEEPER=$build/tests/wine_keeper.exe
# Under the test bed, its display will do.
[ -z "${DISPLAY:-}" ] || export NIMBREL_USE_DISPLAY=1
NIMBREL_SETUP=$(windows_path "$setup")
NIMBREL_ZIP_LISTING=$(windows_path "$work/zip-listing.txt")
export NIMBREL_SETUP NIMBREL_ZIP_LISTING
cd "$work"
status=0
"$root/scripts/wine-env" /usr/lib/wine/wine64 "$round" || status=$?
# A prefix takes over a gigabyte: kept only to look into a failure.
[ $status -ne 0 ] || rm -rf "$WINEPREFIX"
exit $status
