#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it. Arguments go to the program
# (documents to open).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
source "$here/scripts/deps.sh"
install_missing "${RUN_PACKAGES[@]}"
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$here/build" --target quenz-logo-maker -j "$(nproc)"
exec "$here/build/quenz-logo-maker" "$@"
