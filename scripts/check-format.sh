#!/usr/bin/env bash
# Checks that every C++ source is formatted by the house style (.clang-format);
# lists the files that are not. `--fix` formats them instead.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "check-format: clang-format is not installed" >&2; exit 1; }
if [ "${1:-}" = "--fix" ]; then
  git ls-files -z '*.cpp' '*.h' | xargs -0 -P "$(nproc)" -n 40 clang-format -i
  exit 0
fi
unformatted=$(git ls-files -z '*.cpp' '*.h' \
  | xargs -0 -P "$(nproc)" -n 40 clang-format --dry-run -Werror 2>&1 \
  | sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' | sort -u || true)
if [ -n "$unformatted" ]; then
  echo "Not formatted by .clang-format (scripts/check-format.sh --fix formats them):"
  echo "$unformatted" | sed 's/^/  /'
  exit 1
fi
echo "Every source is formatted by .clang-format."
