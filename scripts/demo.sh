#!/usr/bin/env bash
# The demo: installs what is missing, builds, and runs the demo session of kvrhost against the module
# KVRX58C.so (scripts/demo.kvs). The picture of the form is written to the build folder.
#   BUILD_DIR  build folder (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja
cmake --build "$build_dir" --parallel "$(nproc)" --target kvrhost KVRX58C

script=$(pwd)/scripts/demo.kvs
cd "$build_dir"
echo "demo: bin/kvrhost bin/KVRX58C.so scripts/demo.kvs"
status=0
bin/kvrhost bin/KVRX58C.so "$script" || status=$?
if [ -f kvrx58.png ]; then
  echo "demo: the form's picture is $(pwd)/kvrx58.png"
fi
exit $status
