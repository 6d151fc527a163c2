#!/bin/sh
# Runs a robot program that never ends on its own until its output has a line matching PATTERN,
# then stops it: run_until.sh LOG PATTERN LIMIT_SECONDS command...
# Exits 0 when the line came, 1 when the program ended without it, 2 when LIMIT_SECONDS passed
# first (a guard against a program that hangs, far above what a run needs).
log=$1 pattern=$2 limit=$3
shift 3
"$@" >"$log" 2>&1 &
pid=$!
waited=0
while :; do
  if grep -q -- "$pattern" "$log"; then
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    exit 0
  fi
  if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid"
    echo "the program ended (status $?) without printing: $pattern" >>"$log"
    exit 1
  fi
  if [ "$waited" -ge $((limit * 10)) ]; then
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    echo "no line matching '$pattern' after $limit s" >>"$log"
    exit 2
  fi
  sleep 0.1
  waited=$((waited + 1))
done
