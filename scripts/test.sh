#!/usr/bin/env bash
# Installs what is missing, configures, builds and runs every test.
#   BUILD_DIR  build folder (default: build)
#   SANITIZE   ON to build and test under AddressSanitizer and UndefinedBehaviorSanitizer
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

build_dir=${BUILD_DIR:-build}
sanitize=${SANITIZE:-OFF}
build_type=${BUILD_TYPE:-RelWithDebInfo}

cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE="$build_type" -DKVR_SANITIZE="$sanitize"
cmake --build "$build_dir" --parallel "$(nproc)"
ctest --test-dir "$build_dir" --output-on-failure --parallel "$(nproc)" --timeout 600
