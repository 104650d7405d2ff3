#!/usr/bin/env bash
# Installs the Debian packages Tavrin needs to build, run and test.
# Idempotent and non-interactive: installs only what is missing.
# `install-deps.sh sanitize` adds what the sanitiser run needs (clang, its
# runtime libraries and the symboliser for readable reports).
set -euo pipefail

# What the build needs: compilers, tools, libraries and their headers.
packages=(
  build-essential cmake ninja-build ccache lld pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6svg6 qt6-httpserver-dev
  qcoro-qt6-dev qtkeychain-qt6-dev libplist++-dev libplist-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libgl-dev fonts-dejavu-core
  libxcb1-dev libxcb-shape0-dev libxcb-ewmh-dev libxcb-randr0-dev libxcb-res0-dev libxcb-sync-dev libxcb-xinput-dev libxcb-xkb-dev libxcb-xtest0-dev x11proto-dev
  libpulse-dev libsecret-tools
  liblz4-dev
  libical-dev
)
# And the package of every program the tests, benchmarks, scripts and the
# README's recipes start (scripts/check-programs.py keeps the table whole).
while read -r program package _; do
  [[ -z "$program" || "$program" == "#"* || "$package" == "-" ]] || packages+=("$package")
done < "$(dirname "$0")/programs.txt"
if [ "${1:-}" = "sanitize" ]; then
  packages+=(clang-14 libclang-rt-14-dev llvm-14)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
