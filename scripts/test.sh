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
# Tests that start real programs (the built binary, Xvfb, a bus) are retried
# once when they fail; a test that fails twice fails the run.
ctest --test-dir build --output-on-failure -j "$(nproc)" --repeat until-pass:2
echo "Tests took $(( $(date +%s) - built )) s."
