#!/usr/bin/env bash
# Configures and builds into $BUILD_DIR (default: build). ZOQ_SANITIZE=ON adds ASan and UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} \
      -DZOQ_SANITIZE=${ZOQ_SANITIZE:-OFF} >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
