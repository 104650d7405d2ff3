#!/usr/bin/env bash
# Runs every test of a build folder, as the test command and the sanitiser
# run both do: `run-tests.sh FOLDER [ctest options]` (JOBS sets how many at
# once, else one per core). Tests that start real programs (ctest label
# "programs": Xvfb and a window manager, a bus, the built binary) may fail
# for reasons outside the program on a loaded machine: those alone run a
# second time, one at a time, named here so that a flaky one is seen and
# mended; one that fails twice fails the run.
set -euo pipefail
folder=$1
shift
jobs="${JOBS:-$(nproc)}"
status=0
ctest --test-dir "$folder" --output-on-failure -j "$jobs" "$@" -LE programs || status=1
if ! ctest --test-dir "$folder" --output-on-failure -j "$jobs" "$@" -L programs; then
  echo "Retrying once, as they start real programs:"
  sed 's/^[0-9]*:/  /' "$folder/Testing/Temporary/LastTestsFailed.log" || true
  ctest --test-dir "$folder" --output-on-failure "$@" -L programs --rerun-failed || status=1
fi
exit $status
