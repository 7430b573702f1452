#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the test suite, then the
# same suite under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
source "$here/scripts/deps.sh"
install_missing "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

jobs="$(nproc)"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"

step() { printf '\n==== %s\n' "$*"; }

step "build"
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUENZ_WERROR=ON >/dev/null
cmake --build "$here/build" -j "$jobs"

step "tests"
ctest --test-dir "$here/build" --output-on-failure -j "$jobs"

step "build with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S "$here" -B "$here/build-asan" -DCMAKE_BUILD_TYPE=Debug -DQUENZ_WERROR=ON \
  -DQUENZ_SANITIZE=ON -DQUENZ_BENCH=OFF >/dev/null
cmake --build "$here/build-asan" -j "$jobs"

step "tests under the sanitizers"
export ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$here/tests/lsan.supp"
ctest --test-dir "$here/build-asan" --output-on-failure -j "$jobs"

step "all tests passed"
