#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it. Arguments go to the program
# (documents to open).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
source "$here/scripts/deps.sh"
install_missing "${RUN_PACKAGES[@]}"
# Only the program: the tests and the benchmarks need packages that the run does not install.
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUENZ_TESTS=OFF \
  -DQUENZ_BENCH=OFF >/dev/null
cmake --build "$here/build" --target quenz-logo-maker -j "$(nproc)"
exec "$here/build/quenz-logo-maker" "$@"
