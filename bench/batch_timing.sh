#!/usr/bin/env bash
# Times kestrel-batch as a whole process on a 5,000-row workbook (made here with xlwt) with
# hyperfine, with and without writing the summary workbook.
# Usage: bench/batch_timing.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
batch="$build/tools/kestrel-batch"
[ -x "$batch" ] || { echo "batch_timing: $batch is not built" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

/usr/bin/python3 - "$work/profiles_5000.xls" <<'PY'
import math, sys, xlwt
book = xlwt.Workbook()
sheet = book.add_sheet("Profiles")
for col, text in enumerate(["Age", "Y data (1)", "Y data (2)"]):
    sheet.write(0, col, text)
for k in range(1, 5001):
    phase = k % 400 - 200
    height = 30 + 20 * math.sin(k / 1700)
    shifted = phase - 15
    sheet.write(k, 0, 2.0 * (k - 1))
    sheet.write(k, 1, 0.5 + 0.4 * math.sin(k * 0.7) + height * math.exp(-phase * phase / 800))
    sheet.write(k, 2, 0.6 + 0.3 * math.cos(k * 0.3) + 0.8 * height * math.exp(-shifted * shifted / 1100))
book.save(sys.argv[1])
PY

hyperfine --warmup 5 --runs 50 -N \
  "$batch $work/profiles_5000.xls" \
  "$batch --summary $work/summary.xls $work/profiles_5000.xls"
