#!/usr/bin/env bash
# Runs one kvrhost session (RunSession.cmake) against a kvrserver of its own: the server starts on a
# free loopback port over a fresh demo database in WORKDIR, the session's client configuration names
# it as "localhost" (anything but 127.0.0.1 is reached over TCP), and the server is stopped afterwards
# whatever the session did. The server asks every connection to prove the connection secret and the
# user it speaks for; the client configuration holds both (each demo user's own secret, and one for
# NOBODY, a user the database does not know, whom Connect refuses).
#   RunServed.sh KVRSERVER DATA_DIR KVRHOST MODULE SCRIPT EXPECT WORKDIR [CLIENT_EXTRA]
# CLIENT_EXTRA: INI sections that take the place of those of the session's client configuration
# (RunSession.cmake).
set -euo pipefail
server=$1 data=$2 kvrhost=$3 module=$4 script=$5 expect=$6 workdir=$7 extra=${8:-}
here=$(cd "$(dirname "$0")" && pwd)

rm -rf "$workdir"
mkdir -p "$workdir/remote"
users="DEMO LIUF ZHAOL NOBODY"
{
  echo "e2e connection secret"
  for user in $users; do echo "$user=e2e secret of $user"; done
} >"$workdir/secrets"
"$server" --db "$workdir/demo.db" --port 0 --data "$data" --secret-file "$workdir/secrets" \
  >"$workdir/server.out" 2>"$workdir/server.err" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true' EXIT

port=
for _ in $(seq 1 400); do
  # The server opens its output after the fork: the file may not be there yet.
  port=$(sed -n 's/^kvrserver: listening on .*:\([0-9][0-9]*\)$/\1/p' "$workdir/server.out" 2>/dev/null || true)
  [ -n "$port" ] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.05
done
if [ -z "$port" ]; then
  echo "kvrserver did not start:" >&2
  cat "$workdir/server.err" >&2
  exit 1
fi
{
  printf '[Server Information]\r\nComputerName=localhost\r\nServerPort=%s\r\n' "$port"
  printf 'ConnectionSecret=e2e connection secret\r\n[User Secrets]\r\n'
  for user in $users; do printf '%s=e2e secret of %s\r\n' "$user" "$user"; done
} >"$workdir/remote/VeltraneC.ini"

cmake -DKVRHOST="$kvrhost" -DMODULE="$module" -DSCRIPT="$script" -DEXPECT="$expect" -DWORKDIR="$workdir" \
      -DKEEP_WORKDIR=1 -DCLIENT_INI="$workdir/remote/VeltraneC.ini" -DCLIENT_EXTRA="$extra" -DDATA_DIR="$data" \
      -P "$here/RunSession.cmake"
