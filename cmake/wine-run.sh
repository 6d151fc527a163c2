#!/usr/bin/env bash
# Runs a Windows program under Wine, quietly and without any window or dialog: CTest puts this in
# front of every test program of the Windows build (CMAKE_CROSSCOMPILING_EMULATOR).
#
# The Wine prefix lives in the build folder (the nearest folder above the program that holds a
# CMakeCache.txt), unless WINEPREFIX says otherwise, so a build never touches the user's own
# prefix. The first program to start creates it; a lock keeps parallel tests from racing there.
#
# A slow or busy machine must not turn into failed tests, so:
#  - a prefix counts as made only once a marker says so. The registry files are no such sign:
#    Wine's server may save them while it still runs, and the longer the set-up takes on a busy
#    machine, the likelier a program started then runs on a half-made prefix;
#  - making the prefix is tried again (from a stopped server) if it fails or leaves no registry,
#    and a prefix that cannot be made is reported as such instead of as the test's failure;
#  - a prefix left half-made (a run stopped while making it) is finished before use;
#  - the tests share one lingering Wine server (below) instead of racing one that is shutting down.
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
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)

ready="$WINEPREFIX/.wine-run-ready"

# wineboot returns before the prefix is written out; the server writes it when it exits, so the
# prefix is complete once the server has gone.
make_prefix() {
  local attempt
  for attempt in 1 2 3; do
    if "$wine" wineboot --init >/dev/null 2>&1 && "$wineserver" -w &&
      [ -f "$WINEPREFIX/system.reg" ]; then
      touch "$ready"
      return 0
    fi
    "$wineserver" -k 2>/dev/null || true
    sleep "$attempt"
  done
  echo "wine-run.sh: could not make the Wine prefix $WINEPREFIX (wineboot --init failed 3 times)" >&2
  return 1
}

if [ ! -f "$ready" ]; then
  mkdir -p "$WINEPREFIX"
  if ! (
    flock 9
    [ -f "$ready" ] || make_prefix
  ) 9>"$WINEPREFIX.lock"; then
    exit 125
  fi
fi

# One server for the whole run. A server that a program starts by itself exits 3 s after its last
# program, and a program that starts just then finds it going away ("wine client error:0: recvmsg:
# Connection reset by peer") and fails. One started here stays 10 s after its last program, so
# the tests of a run, one after another, keep it; while one runs, this answers 2 and does nothing.
# Not longer: the server keeps the last program's output streams open while it lingers, and CTest
# waits for them.
"$wineserver" -p10 </dev/null >/dev/null 2>&1 || true

exec "$wine" "$@"
