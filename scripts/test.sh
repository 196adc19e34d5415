#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: a normal build and an
# AddressSanitizer + UndefinedBehaviorSanitizer build; then the engine's tests once more under
# ThreadSanitizer, and every fuzz target shortly. Widget tests run on Qt's offscreen platform,
# so no display is needed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

export QT_QPA_PLATFORM=offscreen
export LC_ALL=C.UTF-8
jobs=$(nproc)

run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTREL_WERROR=ON "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 300
}

# Line tables are all a failing test's stack trace needs, and build much faster than full
# debugging information; the sanitizer build is optimised less, which the sanitizers prefer.
echo "== Formatting (.clang-format)"
git ls-files -z '*.cpp' '*.h' 2>/dev/null | xargs -0 -r clang-format --dry-run -Werror
echo "== Normal build"
run_suite build -DKESTREL_BENCH=OFF -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_suite build-asan -DKESTREL_SANITIZE=ON -DKESTREL_BENCH=OFF \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG"
echo "== ThreadSanitizer build (engine tests)"
# Only the engine shares work among threads; its tests run pairs on 2 and 3 threads and on one
# per core.
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  run_suite build-tsan -DKESTREL_TSAN=ON -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG"
if [ -x scripts/fuzz.sh ]; then
  echo "== Short fuzzing runs"
  bash scripts/fuzz.sh short
fi
