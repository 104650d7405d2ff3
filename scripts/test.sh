#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/tavrin-runtime-$(id -u)}"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 0700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
start=$(date +%s)
bash scripts/build.sh
built=$(date +%s)
echo "Build took $((built - start)) s."
ctest --test-dir build --output-on-failure -j "$(nproc)"
echo "Tests took $(( $(date +%s) - built )) s."
