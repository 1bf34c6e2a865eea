#!/usr/bin/env bash
# Installs what is missing, builds and starts ZOQ with the module simulator
# answering on COM1 (a link in the program's directory).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --desktop
bash scripts/build.sh
bin=${BUILD_DIR:-build}/bin
"$bin/zoq-modsim" --link "$bin/COM1" --eeprom "$bin/module-eeprom.bin" &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "$bin/COM1" ] && break; sleep 0.1; done
"$bin/zoq"
