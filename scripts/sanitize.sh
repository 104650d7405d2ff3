#!/usr/bin/env bash
# Builds Tavrin with clang's AddressSanitizer and UndefinedBehaviorSanitizer
# into build-asan/ and runs the whole test suite under them, leak checking on.
# Any finding fails the run: undefined behaviour aborts at the first report,
# and a leak fails the test that made it. Arguments go on to ctest
# (`bash scripts/sanitize.sh -R Ics`).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh sanitize
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/tavrin-runtime-$(id -u)}"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 0700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"

# The same options hold for the test lists the build makes (it runs each test
# program once) and for every program a test starts.
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export ASAN_SYMBOLIZER_PATH=/usr/bin/llvm-symbolizer-14

# clang 14 cannot emit the indirect-call check (-fsanitize=function) for
# coroutines ("Cannot represent a difference across sections"): it is off.
flags="-fsanitize=address,undefined,float-cast-overflow -fno-sanitize=function"
flags+=" -fno-sanitize-recover=undefined,float-cast-overflow -fno-omit-frame-pointer"
# Configured each time, so a change of flags here reaches an existing folder.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++-14 -DTAVRIN_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
headers=$(find src tests -name '*.h' | sort | md5sum | cut -d' ' -f1)
if [ "$(cat build-asan/.headers 2>/dev/null)" != "$headers" ]; then
  find build-asan -path '*_autogen/timestamp' -delete 2>/dev/null || true
  echo "$headers" > build-asan/.headers
fi
start=$(date +%s)
cmake --build build-asan -j "${JOBS:-$(nproc)}"
built=$(date +%s)
echo "Sanitiser build took $((built - start)) s."
# Sanitised tests run several times slower: a longer time-out per test. As
# in the test command, those that start real programs may run a second time.
status=0
bash scripts/run-tests.sh build-asan --timeout 600 "$@" || status=1
echo "Sanitised tests took $(( $(date +%s) - built )) s."
exit $status
