#!/usr/bin/env bash
# Configures and builds into $BUILD_DIR (default: build). ZOQ_SANITIZE=ON adds ASan and UBSan;
# ZOQ_BENCH=OFF leaves out the benchmark programs.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-Release} \
      -DZOQ_SANITIZE=${ZOQ_SANITIZE:-OFF} -DZOQ_BENCH=${ZOQ_BENCH:-ON} >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
