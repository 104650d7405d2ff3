#!/usr/bin/env bash
# Builds the fuzz targets with clang into build-fuzz/ and runs each for a few
# seconds on its seed corpus, so that a target that no longer builds, or an
# input that crashes one, fails the run. `FUZZ_SECONDS` sets the time per
# target (default 5); longer campaigns run the targets by hand (fuzz/CMakeLists.txt).
# Without clang the targets cannot be built: the script says so and succeeds.
set -euo pipefail
cd "$(dirname "$0")/.."
compiler=$(command -v clang++-14 || command -v clang++ || true)
if [ -z "$compiler" ] || ! "$compiler" -fsanitize=fuzzer -x c++ -o /dev/null - \
     <<<'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' 2>/dev/null; then
  echo "Fuzz targets skipped: no clang with libFuzzer here (bash scripts/install-deps.sh sanitize installs it)."
  exit 0
fi
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
export ASAN_SYMBOLIZER_PATH="${ASAN_SYMBOLIZER_PATH:-$(command -v llvm-symbolizer-14 || true)}"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER="$compiler" -DTAVRIN_FUZZ=ON -DTAVRIN_BENCH=OFF >/dev/null
targets=$(sed -n 's/^tavrin_fuzz_target(\(fuzz_[a-z_]*\).*/\1/p' fuzz/CMakeLists.txt)
# Only the fuzz targets: the rest of the tree is built and tested by gcc.
log=$(mktemp)
# shellcheck disable=SC2086
if ! cmake --build build-fuzz --target $targets >"$log" 2>&1; then
  echo "The fuzz targets did not build:"; tail -n 60 "$log"; rm -f "$log"; exit 1
fi
rm -f "$log"
seconds="${FUZZ_SECONDS:-5}"
status=0
for target in $targets; do
  name=${target#fuzz_}
  work=$(mktemp -d)
  # New inputs go to a scratch folder; the seeds in the tree stay as they are.
  args=(-max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$work/")
  [ -f "fuzz/$name.dict" ] && args+=(-dict="fuzz/$name.dict")
  if "build-fuzz/fuzz/$target" "${args[@]}" "$work" "fuzz/corpus/$name" >"$work/log" 2>&1; then
    echo "Fuzzed $target for $seconds s: $(grep -m1 'stat::number_of_executed_units' "$work/log" | awk '{print $2}') runs, clean."
  else
    echo "Fuzz target $target failed:"
    tail -n 40 "$work/log"
    mkdir -p artifacts/fuzz && cp "$work"/crash-* "$work"/leak-* "$work"/timeout-* artifacts/fuzz/ 2>/dev/null || true
    status=1
  fi
  rm -rf "$work"
done
exit $status
