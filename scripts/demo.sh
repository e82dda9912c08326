#!/usr/bin/env bash
# The demo: installs what is missing, builds, and runs a user's work with the letter-of-credit module
# (scripts/demo.kvs) twice: in process against the embedded demo database, then over TCP against a
# kvrserver that this script starts on a free loopback port and stops at the end. Each run works on a
# fresh copy of the demo database; the pictures of the form's pages are written to the run's folder.
#   BUILD_DIR  build folder (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja
cmake --build "$build_dir" --parallel "$(nproc)" --target kvrhost kvrserver KVRX58C

root=$(pwd)
script=$root/scripts/demo.kvs
bin=$root/$build_dir/bin
runs=$root/$build_dir/demo
rm -rf "$runs"
mkdir -p "$runs/inprocess" "$runs/tcp"

echo "demo: in process: kvrhost KVRX58C.so scripts/demo.kvs"
status=0
(cd "$runs/inprocess" && KVR_REGISTRY="$runs/inprocess/registry.ini" "$bin/kvrhost" "$bin/KVRX58C.so" "$script") ||
  status=$?
echo "demo: the pictures are in $runs/inprocess"
[ "$status" -eq 0 ] || exit "$status"

echo "demo: over TCP: kvrserver on a free loopback port"
"$bin/kvrserver" --db "$runs/tcp/demo.db" --port 0 --data "$root/$build_dir/data" \
  >"$runs/tcp/server.out" 2>"$runs/tcp/server.err" &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true' EXIT
port=
for _ in $(seq 1 400); do
  # The server opens its output after the fork: the file may not be there yet.
  port=$(sed -n 's/^kvrserver: listening on .*:\([0-9][0-9]*\)$/\1/p' "$runs/tcp/server.out" 2>/dev/null || true)
  [ -n "$port" ] && break
  kill -0 "$server" 2>/dev/null || break
  sleep 0.05
done
if [ -z "$port" ]; then
  echo "demo: kvrserver did not start:" >&2
  cat "$runs/tcp/server.err" >&2
  exit 1
fi
printf '[Server Information]\r\nComputerName=localhost\r\nServerPort=%s\r\n' "$port" >"$runs/tcp/VeltraneC.ini"
echo "demo: kvrserver listens on port $port"
(cd "$runs/tcp" && KVR_REGISTRY="$runs/tcp/registry.ini" \
  "$bin/kvrhost" --client-ini "$runs/tcp/VeltraneC.ini" "$bin/KVRX58C.so" "$script") || status=$?
echo "demo: the pictures are in $runs/tcp"
exit $status
