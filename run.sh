#!/usr/bin/env bash
# Builds Dravik and starts it.
set -e
top="$(cd "$(dirname "$0")" && pwd)"
. "$top/scripts-common.sh"
dravik_install_missing
dravik_build "$top" dravik datadist
dravik_fonts "$top"
exec "$top/build/dravik"
