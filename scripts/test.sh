#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: a normal build and an
# AddressSanitizer + UndefinedBehaviorSanitizer build; then the engine's tests once more under
# ThreadSanitizer, and every fuzz target shortly. Widget tests run on Qt's offscreen platform,
# so no display is needed.
set -euo pipefail
cd "$(dirname "$0")/.."

# Every section's time, printed as it ends and once more at the end.
timings=()
timed() {
  local name=$1 start=$SECONDS; shift
  "$@"
  timings+=("$(printf '%5d s  %s' $((SECONDS - start)) "$name")")
  echo "-- $name: $((SECONDS - start)) s"
}

timed "Dependencies" bash scripts/deps.sh

export QT_QPA_PLATFORM=offscreen
export LC_ALL=C.UTF-8
jobs=$(nproc)

run_suite() {
  local dir=$1 title=$2; shift 2
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTREL_WERROR=ON "$@" >/dev/null
  timed "$title: build" cmake --build "$dir" -j "$jobs"
  timed "$title: tests" ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 300
}

check_format() {
  git ls-files -z '*.cpp' '*.h' 2>/dev/null | xargs -0 -r clang-format --dry-run -Werror
}

# Line tables are all a failing test's stack trace needs, and build much faster than full
# debugging information; the sanitizer builds are optimised less, which the sanitizers prefer.
echo "== Formatting (.clang-format)"
timed "Formatting" check_format
echo "== Normal build"
run_suite build "Normal" -DKESTREL_BENCH=OFF -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_suite build-asan "ASan + UBSan" -DKESTREL_SANITIZE=ON -DKESTREL_BENCH=OFF \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG"
echo "== ThreadSanitizer build (engine tests)"
# Only the engine shares work among threads: its tests run pairs of samples on 2 and 3 threads
# and on one per core. The build holds the engine and its tests alone.
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  run_suite build-tsan "TSan" -DKESTREL_TSAN=ON -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG"
if [ -x scripts/fuzz.sh ]; then
  echo "== Short fuzzing runs"
  timed "Fuzzing (build and runs)" bash scripts/fuzz.sh short
fi

echo
echo "== Times"
printf '%s\n' "${timings[@]}"
echo "$(printf '%5d s' "$SECONDS")  in all"
