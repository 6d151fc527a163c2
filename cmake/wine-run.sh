#!/usr/bin/env bash
# Runs a Windows program under Wine, quietly and without any window or dialog: CTest puts this in
# front of every test program of the Windows build (CMAKE_CROSSCOMPILING_EMULATOR).
#
# The Wine prefix lives in the build folder (the nearest folder above the program that holds a
# CMakeCache.txt), unless WINEPREFIX says otherwise, so a build never touches the user's own
# prefix. The first program to start creates it; a lock keeps parallel tests from racing there.
set -euo pipefail

program=${1:?usage: wine-run.sh PROGRAM [ARGS...]}

if [ -z "${WINEPREFIX:-}" ]; then
  dir=$(cd "$(dirname "$program")" && pwd)
  while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
  [ "$dir" = / ] && dir=$(cd "$(dirname "$program")" && pwd)
  export WINEPREFIX="$dir/wineprefix"
fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64
# No Mono or Gecko installer dialogs while the prefix is made; no display at all.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
unset DISPLAY WAYLAND_DISPLAY

wine=$(command -v wine64 || command -v wine || true)
if [ -z "$wine" ] && [ -x /usr/lib/wine/wine64 ]; then wine=/usr/lib/wine/wine64; fi
if [ -z "$wine" ]; then
  echo "wine-run.sh: Wine is not installed (Debian: apt-get install wine wine64)" >&2
  exit 127
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      "$wine" wineboot --init >/dev/null 2>&1 || true
      # wineboot returns before the prefix is written out; wait for the server to finish.
      wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
      "$wineserver" -w || true
    fi
  ) 9>"$WINEPREFIX.lock"
fi

exec "$wine" "$@"
