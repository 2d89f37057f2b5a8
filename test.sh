#!/usr/bin/env bash
# Builds Dravik and runs every test program.
set -e
top="$(cd "$(dirname "$0")" && pwd)"
. "$top/scripts-common.sh"
dravik_install_missing
dravik_build "$top"
dravik_fonts "$top"
export QT_QPA_PLATFORM=offscreen
export QTEST_FUNCTION_TIMEOUT=120000
export XDG_RUNTIME_DIR="$(mktemp -d)"
chmod 700 "$XDG_RUNTIME_DIR"
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
cd "$top/build"
ctest --output-on-failure -j "$(nproc)" --timeout 600
