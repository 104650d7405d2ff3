#!/usr/bin/env bash
# Installs what is missing, builds Tavrin and runs it (arguments pass through).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh --target tavrin
exec ./build/src/tavrin "$@"
