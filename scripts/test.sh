#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# Every program the tests, benchmarks and recipes start is in the package
# table and installed: else stop here, naming it, rather than after the build.
python3 scripts/check-programs.py
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/tavrin-runtime-$(id -u)}"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 0700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
start=$(date +%s)
bash scripts/build.sh
built=$(date +%s)
echo "Build took $((built - start)) s."
status=0
# Sources keep the house style; a file out of it fails the run, after the tests.
bash scripts/check-format.sh || status=1
# Each layer includes only what it uses; only the X11 backend speaks X11.
python3 scripts/check-layers.py || status=1
ctest --test-dir build --output-on-failure -j "$(nproc)" -LE programs || status=1
# Tests that start real programs (Xvfb and a window manager, a bus, the built
# binary) may fail for reasons outside the program under a loaded machine:
# those alone run a second time, named here so that a flaky one is seen and
# mended; one that fails twice fails the run.
if ! ctest --test-dir build --output-on-failure -j "$(nproc)" -L programs; then
  echo "Retrying once, as they start real programs:"
  sed 's/^[0-9]*:/  /' build/Testing/Temporary/LastTestsFailed.log
  ctest --test-dir build --output-on-failure -L programs --rerun-failed || status=1
fi
# The fuzz targets are built and run briefly, so that none of them rots.
bash scripts/fuzz.sh || status=1
echo "Tests took $(( $(date +%s) - built )) s."
exit $status
