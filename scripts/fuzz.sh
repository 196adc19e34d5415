#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer + UndefinedBehaviorSanitizer) in
# build-fuzz and runs each of them over its seeds and its regressions, then fuzzes it:
#   scripts/fuzz.sh short          about 10 s per target, as many at once as there are cores
#                                  (what scripts/test.sh runs)
#   scripts/fuzz.sh long SECONDS   SECONDS per target, one after the other, at low priority
# Seeds are built at run time from tests/data (and the shared .xls corpus when present); new
# inputs accumulate in build-fuzz/fuzz-work/<target>/corpus. Any crash, leak, timeout, memory
# blow-up or broken invariant fails the script; its input is left in build-fuzz/fuzz-findings/,
# to be fixed and then added to tests/data/fuzz-regressions/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

mode=${1:-short}
case $mode in
  short) seconds=10; nice=() ;;
  long) seconds=${2:?"usage: scripts/fuzz.sh long SECONDS"}; nice=(nice -n 10) ;;
  *) echo "usage: scripts/fuzz.sh short | long SECONDS" >&2; exit 2 ;;
esac

build=${KESTREL_FUZZ_BUILD:-$root/build-fuzz}
targets=(fuzz_number_text fuzz_profile_comparison fuzz_critical_value_table fuzz_settings_text
         fuzz_read_workbook fuzz_read_xlsx fuzz_read_ods fuzz_read_csv fuzz_read_grain_ages)
if [ -n "${KESTREL_FUZZ_TARGETS:-}" ]; then read -r -a targets <<<"$KESTREL_FUZZ_TARGETS"; fi

echo "== Building the fuzz targets in $build"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DKESTREL_FUZZ=ON -DKESTREL_SANITIZE=ON -DKESTREL_GUI=OFF -DKESTREL_BENCH=OFF -DKESTREL_WERROR=ON >/dev/null
cmake --build "$build" --target kestrel_fuzz_all kestrel-critvalues -j 2

work=$build/fuzz-work
findings=$build/fuzz-findings
mkdir -p "$work" "$findings"
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0

# Seeds for one target into the given folder (rebuilt on every run, never committed).
make_seeds() {
  local target=$1 dir=$2
  rm -rf "$dir" && mkdir -p "$dir"
  case $target in
    fuzz_read_workbook)
      local files=()
      mapfile -t files < <(find tests/data data/samples "$root/../shared/xls-corpus" \
                             -iname '*.xls' -size -300k 2>/dev/null | sort)
      local i=0
      for f in "${files[@]}"; do cp "$f" "$dir/file-$((i++)).xls"; done
      "$build/tests/fuzz/fuzz_seed_streams" "$dir" "${files[@]}" >/dev/null
      ;;
    fuzz_read_xlsx | fuzz_read_ods)
      # Whole packages, and their XML parts alone (the target wraps those in a package).
      local ext=${target#fuzz_read_} i=0
      for f in tests/data/workbooks/*."$ext"; do
        cp "$f" "$dir/"
        /usr/bin/python3 -c 'import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
for n in z.namelist():
    if n.endswith(("sheet1.xml", "content.xml")):
        open(sys.argv[2] + "-" + n.replace("/", "_"), "wb").write(z.read(n)[:200000])' \
          "$f" "$dir/part-$((i++))"
      done
      ;;
    fuzz_read_csv)
      cp tests/data/workbooks/*.csv "$dir/"
      ;;
    fuzz_read_grain_ages)
      # Small synthetic workbooks behind their option byte, and the shipped sample of grain
      # ages read in its rows layout (option byte 0x10: uncertainties required, PDP).
      /usr/bin/python3 tests/fuzz/grain_ages_seeds.py "$dir"
      { printf '\x10'; cat data/samples/GrainAges.xls; } >"$dir/sample-rows-pdp.xls"
      ;;
    fuzz_critical_value_table)
      "$build/tools/kestrel-critvalues" --alpha 0.05 --from 1 --to 40 --output "$dir/table.cds" \
        >/dev/null
      find tests/data -name '*.cds' -size -64k -exec cp {} "$dir/" \; 2>/dev/null || true
      ;;
    fuzz_settings_text)
      find tests/data -iname '*.ini' -size -64k -exec cp {} "$dir/" \; 2>/dev/null || true
      cp tests/fuzz/seeds/settings.INI "$dir/"
      ;;
    fuzz_number_text)
      local i=0
      while IFS= read -r line; do printf '%s' "$line" >"$dir/number-$((i++))"; done \
        <tests/fuzz/seeds/number_texts.txt
      ;;
    fuzz_profile_comparison)
      # Random bytes decode to profiles; a few fixed ones start it off.
      head -c 3000 /dev/zero | tr '\0' '\101' >"$dir/flat"
      seq 0 255 | awk '{printf "%c%c%c", $1 % 256, ($1 * 7) % 256, ($1 * 13) % 256}' \
        >"$dir/ramp" 2>/dev/null || true
      ;;
  esac
}

# One target: its seeds, then its run; "ok" or "FINDING" in $work/<target>/result.
fuzz_one() {
  local target=$1
  local binary=$build/tests/fuzz/$target corpus=$work/$target/corpus seeds=$work/$target/seeds
  local regressions=tests/data/fuzz-regressions/$target log=$work/$target/last.log
  mkdir -p "$corpus" "$regressions"
  make_seeds "$target" "$seeds"
  local dict=()
  [ -f "tests/fuzz/$target.dict" ] && dict=(-dict="tests/fuzz/$target.dict")
  if "${nice[@]}" "$binary" "${dict[@]}" -max_total_time="$seconds" -timeout=10 \
       -rss_limit_mb=1536 -malloc_limit_mb=512 -max_len=262144 -print_final_stats=1 \
       -artifact_prefix="$findings/$target-" "$corpus" "$seeds" "$regressions" >"$log" 2>&1; then
    echo ok >"$work/$target/result"
  else
    echo FINDING >"$work/$target/result"
    { echo "== $target:"; grep -E "ERROR|invariant broken|refused|SUMMARY|Test unit written" "$log" |
        head -n 20; } || true
  fi
}

# The short runs share the cores, one target on each (every target still gets its seconds of a
# core to itself); the long runs go one after the other.
parallel=1
[ "$mode" = short ] && parallel=${KESTREL_FUZZ_JOBS:-$(nproc)}
for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do wait -n || true; done
  rm -f "$work/$target/result"
  echo "== $target: ${seconds} s"
  fuzz_one "$target" &
done
wait

declare -A result executions
status=0
for target in "${targets[@]}"; do
  result[$target]=$(cat "$work/$target/result" 2>/dev/null || echo FINDING)
  [ "${result[$target]}" = ok ] || status=1
  executions[$target]=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$target/last.log" |
                          tail -n 1)
done

echo
echo "| Fuzz target | Seconds | Executions | Corpus | Result |"
echo "|---|---:|---:|---:|---|"
for target in "${targets[@]}"; do
  count=$(find "$work/$target/corpus" -type f | wc -l)
  echo "| $target | $seconds | ${executions[$target]:-?} | $count | ${result[$target]} |"
done
if [ $status -ne 0 ]; then
  echo "Findings are in $findings; logs in $work/<target>/last.log" >&2
fi
exit $status
