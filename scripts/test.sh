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
# Every test that starts a real program carries the label that lets it rerun.
python3 scripts/check-test-labels.py || status=1
# clang-tidy's checks (.clang-tidy) over the sources changed since main, or
# in the last commit on main; it reads the build's compile commands.
python3 scripts/tidy.py || status=1
# Every test; those that start real programs may run a second time.
bash scripts/run-tests.sh build || status=1
# The fuzz targets are built and run briefly, so that none of them rots.
bash scripts/fuzz.sh || status=1
echo "Tests took $(( $(date +%s) - built )) s."
exit $status
