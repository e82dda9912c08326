#!/usr/bin/env bash
# The demo: installs what is missing, builds, and runs a user's work with the letter-of-credit module
# (scripts/demo.kvs) twice: in process against the embedded demo database, then over TCP against a
# kvrserver that this script starts on a free loopback port and stops at the end. Each run works on a
# fresh copy of the demo database; the pictures of the form's pages are written to the run's folder.
#   scripts/demo.sh [--big5]
#   --big5     the same work under a traditional-Chinese (BIG5) user interface: the client configuration
#              says UICodePage=950 over the GB demo database, and the script is scripts/demo-big5.kvs,
#              written in traditional Chinese (the runs go to <build>/demo-big5)
#   BUILD_DIR  build folder (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."

big5=
case "${1:-}" in
  "") ;;
  --big5) big5=1 ;;
  *)
    echo "usage: scripts/demo.sh [--big5]" >&2
    exit 2
    ;;
esac

scripts/setup.sh

build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja
cmake --build "$build_dir" --parallel "$(nproc)" --target kvrhost kvrserver KVRX58C

root=$(pwd)
script=$root/scripts/demo${big5:+-big5}.kvs
bin=$root/$build_dir/bin
runs=$root/$build_dir/demo${big5:+-big5}
rm -rf "$runs"
mkdir -p "$runs/inprocess" "$runs/tcp"

# In process the demo's client configuration serves; under BIG5 a client folder of the run's own, whose
# configuration adds the code pages (and holds the GB/BIG5 mapping file beside it).
client=()
codepages=
if [ -n "$big5" ]; then
  codepages='[CodePage]\r\nUICodePage=950\r\nDBCodePage=936\r\n'
  mkdir -p "$runs/inprocess/client"
  printf "[Server Information]\r\nComputerName=127.0.0.1\r\nServerPort=211\r\n$codepages" \
    >"$runs/inprocess/client/VeltraneC.ini"
  cp "$root/$build_dir/data/Language" "$runs/inprocess/client/"
  client=(--client-ini "$runs/inprocess/client/VeltraneC.ini")
fi

echo "demo: in process: kvrhost KVRX58C.so ${script#"$root"/}${big5:+ (BIG5 user interface)}"
status=0
(cd "$runs/inprocess" && KVR_REGISTRY="$runs/inprocess/registry.ini" \
  "$bin/kvrhost" "${client[@]}" "$bin/KVRX58C.so" "$script") ||
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
printf "[Server Information]\r\nComputerName=localhost\r\nServerPort=%s\r\n$codepages" "$port" >"$runs/tcp/VeltraneC.ini"
[ -z "$big5" ] || cp "$root/$build_dir/data/Language" "$runs/tcp/"
echo "demo: kvrserver listens on port $port"
(cd "$runs/tcp" && KVR_REGISTRY="$runs/tcp/registry.ini" \
  "$bin/kvrhost" --client-ini "$runs/tcp/VeltraneC.ini" "$bin/KVRX58C.so" "$script") || status=$?
echo "demo: the pictures are in $runs/tcp"
exit $status
