#!/usr/bin/env bash
# The test command, as CI runs it (.ci/run). In order, stopping at the first step that fails:
# - installs the Debian packages that are missing (scripts/deps.sh), through sudo unless root;
# - builds everything in build/ (RelWithDebInfo, warnings as errors, tests and benchmarks);
# - runs the tests one process per test (ctest), then all in one process, where a test that
#   leaves state behind is named;
# - when run as root, runs the permission tests (the suites ending in "AsUser", which skip as
#   root) again as the unprivileged user nobody, through setpriv;
# - builds in build-asan/ with AddressSanitizer and UndefinedBehaviorSanitizer and runs the tests
#   under them;
# - builds the fuzzers in build-fuzz/ with clang and runs fuzz_document, fuzz_color and
#   fuzz_outline side by side, a minute each.
# Environment: QUENZ_FUZZ_SECONDS, each fuzzer's run in seconds (60 unless set); XDG_RUNTIME_DIR,
# used when set, else a fresh one is made. See docs/testing.md.
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
# The tests and benchmarks are named: a build folder that the run command made has them off.
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUENZ_WERROR=ON \
  -DQUENZ_TESTS=ON -DQUENZ_BENCH=ON >/dev/null
cmake --build "$here/build" -j "$jobs"

step "tests, one process per test"
ctest --test-dir "$here/build" --output-on-failure -j "$jobs"

# A test that leaves state behind (a dialog provider, a window, a timer) fails only the tests
# that come after it in the same process.
step "tests, all in one process"
one_process_log="$(mktemp)"
"$here/build/tests/quenz_tests" --gtest_brief=1 2>"$one_process_log" ||
  { tail -n 60 "$one_process_log"; echo "the tests failed in one process"; exit 1; }
rm -f "$one_process_log"

# The permission tests skip as root, which CI is: they run again as an unprivileged user, from a
# copy of the test program in a folder of that user's own, with a home of its own.
step "permission tests as an unprivileged user"
if [ "$(id -u)" -eq 0 ]; then
  as_user="$(mktemp -d)"
  cp "$here/build/tests/quenz_tests" "$as_user/"
  mkdir -m 700 "$as_user/home" "$as_user/run"
  chown -R nobody:nogroup "$as_user"
  chmod 755 "$as_user"
  setpriv --reuid=nobody --regid=nogroup --clear-groups --reset-env \
    env HOME="$as_user/home" XDG_RUNTIME_DIR="$as_user/run" QT_QPA_PLATFORM=offscreen \
    "$as_user/quenz_tests" --gtest_filter='*AsUser.*' >"$as_user/log" 2>&1 ||
    { cat "$as_user/log"; echo "the permission tests failed"; exit 1; }
  grep -E '^\[ +(OK|SKIPPED|PASSED) +\]' "$as_user/log"
  if grep -q '^\[  SKIPPED \]' "$as_user/log" || ! grep -q '^\[       OK \]' "$as_user/log"; then
    echo "the permission tests did not run"
    exit 1
  fi
  rm -rf "$as_user"
else
  echo "already run above, as $(id -un)"
fi

step "build with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S "$here" -B "$here/build-asan" -DCMAKE_BUILD_TYPE=Debug -DQUENZ_WERROR=ON \
  -DQUENZ_SANITIZE=ON -DQUENZ_BENCH=OFF >/dev/null
cmake --build "$here/build-asan" -j "$jobs"

step "tests under the sanitizers"
export ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$here/tests/lsan.supp"
ctest --test-dir "$here/build-asan" --output-on-failure -j "$jobs"

step "fuzzers: documents as the desktop opens them, the colour text and the tracing of glyph outlines, a minute each"
CC=clang CXX=clang++ cmake -S "$here" -B "$here/build-fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUENZ_WERROR=ON -DQUENZ_SANITIZE=ON -DQUENZ_FUZZ=ON -DQUENZ_TESTS=OFF -DQUENZ_BENCH=OFF \
  >/dev/null
cmake --build "$here/build-fuzz" -j "$jobs" --target fuzz_document fuzz_color fuzz_outline
fuzz_time="${QUENZ_FUZZ_SECONDS:-60}"
# usage: fuzz TARGET [LIBFUZZER OPTION...]
fuzz() {
  local target="$1" corpus
  shift
  corpus="$(mktemp -d)"
  cp "$here/fuzz/corpus/${target#fuzz_}/"* "$corpus/"
  (cd "$corpus" && "$here/build-fuzz/fuzz/$target" -max_total_time="$fuzz_time" \
    -rss_limit_mb=4096 -timeout=20 -print_final_stats=1 "$@" "$corpus" \
    >"$corpus/log" 2>&1) || { tail -n 60 "$corpus/log"; echo "$target failed"; return 1; }
  grep -E "^stat::(number_of_executed_units|average_exec_per_sec)" "$corpus/log" |
    sed "s/^/$target: /"
  rm -rf "$corpus"
}
# Qt's caches keep memory from one input of the document fuzzer to the next, so libFuzzer would
# scan the whole heap for leaks after nearly every input: they are looked for once, at the end.
fuzz fuzz_document -detect_leaks=0 -dict="$here/fuzz/document.dict" & document_fuzz=$!
fuzz fuzz_color & color_fuzz=$!
fuzz fuzz_outline & outline_fuzz=$!
fuzz_failed=0
wait "$document_fuzz" || fuzz_failed=1
wait "$color_fuzz" || fuzz_failed=1
wait "$outline_fuzz" || fuzz_failed=1
[ "$fuzz_failed" -eq 0 ]

step "all tests passed"
