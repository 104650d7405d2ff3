#!/usr/bin/env bash
# Configures (once) and builds Tavrin into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
# ccache hits across clones in other folders (CI builds a fresh clone each time).
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
# Precompiled headers are cacheable only when ccache may ignore their time
# stamps and the macros they define.
export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}"
# Warnings are errors here as in CI, so that a warning never reaches main.
if [ ! -f build/build.ninja ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRIN_WERROR=ON >/dev/null
fi
# Qt's automatic moc misses headers added since the last build in an existing
# build folder (CMake 3.25 with Ninja): when the set of headers changes, make
# it scan again.
headers=$(find src tests -name '*.h' | sort | md5sum | cut -d' ' -f1)
if [ "$(cat build/.headers 2>/dev/null)" != "$headers" ]; then
  find build -path '*_autogen/timestamp' -delete 2>/dev/null || true
  echo "$headers" > build/.headers
fi
cmake --build build "$@"
