#!/usr/bin/env bash
# Builds the tests of work shared between threads with ThreadSanitizer into
# build-tsan/ and runs them: window titles read on a background thread while
# the main thread moves and closes windows; a restore's work handed to a
# main thread that takes it up too late; the watching of the main
# connection's socket while window moves are held back for a batch; and the
# built program covering private windows from the cover keeper's thread —
# new, moved and embedded windows, a window manager gone, a cover connection
# killed and made again, a start after a kill while covering, a load of
# windows. Any report, of a test or of the program it starts, fails the run.
# Arguments go on to ctest (`bash scripts/tsan.sh -V`).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/tavrin-runtime-$(id -u)}"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 0700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
# Qt's X11 windows draw without shared-memory segments: the server passes
# their descriptors in, and Qt closes them where the sanitizer does not look,
# so that a file opened later under the same number would seem to race.
export QT_XCB_NO_MITSHM=1
# Qt and the X libraries are not instrumented: only what this project's code
# does is seen, which is what the tests are about. Reports go to files, one
# per process, so that those of the program a test starts are not lost.
reports="$PWD/build-tsan/reports"
rm -rf "$reports" && mkdir -p "$reports"
export TSAN_OPTIONS="second_deadlock_stack=1:report_signal_unsafe=0:die_after_fork=0:log_path=$reports/tsan:suppressions=$PWD/scripts/tsan.supp"

# GCC's: clang 14's ThreadSanitizer breaks in the child of the vfork-style
# clone that Qt starts programs with (the tests start an X server).
flags="-fsanitize=thread -fno-omit-frame-pointer"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=g++ -DTAVRIN_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
headers=$(find src tests -name '*.h' | sort | md5sum | cut -d' ' -f1)
if [ "$(cat build-tsan/.headers 2>/dev/null)" != "$headers" ]; then
  find build-tsan -path '*_autogen/timestamp' -delete 2>/dev/null || true
  echo "$headers" > build-tsan/.headers
fi
start=$(date +%s)
cmake --build build-tsan -j "${JOBS:-$(nproc)}" --target tests_x11 tavrin_tsan_qthandoffs
built=$(date +%s)
echo "Thread-sanitizer build took $((built - start)) s."
# Qt's hand-overs between threads, told of (see the file).
export LD_PRELOAD="$PWD/build-tsan/tests/libtavrin_tsan_qthandoffs.so${LD_PRELOAD:+:$LD_PRELOAD}"
# The covering tests under openbox and under xfwm4, with and without its
# compositor: each window manager frames and maps in its own order.
tests='OffTheMainThread|X11WindowServerTest\.MovesWaitForTheirBatch|^X11Veils'
status=0
ctest --test-dir build-tsan --output-on-failure --timeout 600 -R "$tests" "$@" || status=1
if compgen -G "$reports/tsan*" >/dev/null; then
  cat "$reports"/tsan*
  echo "ThreadSanitizer reported the above ($(ls "$reports" | wc -l) processes)."
  status=1
fi
echo "Thread-sanitized tests took $(( $(date +%s) - built )) s."
exit $status
