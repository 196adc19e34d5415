#!/usr/bin/env bash
# Runs every benchmark and prints one markdown table:
#   - the Google Benchmark programs of bench/ (reader, engine, graph replot: whichever exist),
#     median of 5 repetitions; the 200-sample nonmetric MDS beside scikit-learn's; depositional
#     ages and age components of 200 samples x 1,000 grains beside numpy and scipy; unmixing (exact
#     D fits, their bootstrap, NMF end-members) beside scipy's linprog, a random search and
#     scikit-learn's NMF;
#   - kestrel-batch as a whole process on generated 5,000- and 65,535-row workbooks
#     (kestrel-make-samples --rows), timed by hyperfine, peak memory by /usr/bin/time -v.
# Usage: scripts/bench.sh [BUILD_DIR]   (default build-hardening; a Release build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-hardening}
python=/usr/bin/python3

# What the benchmarks use beyond the build: the test command's packages, and hyperfine.
bash scripts/deps.sh
if ! command -v hyperfine >/dev/null; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends \
    hyperfine time >/dev/null
fi
if ! command -v xdotool >/dev/null || ! command -v xvfb-run >/dev/null; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends \
    xdotool xvfb xauth >/dev/null
fi
# The reference of the comparison: the same job scripted with xlrd, numpy and xlwt.
if ! "$python" -c 'import numpy, xlrd, xlwt' 2>/dev/null; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends \
    python3-numpy python3-xlrd python3-xlwt >/dev/null
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTREL_BENCH=ON >/dev/null
benches=()
known=$(cmake --build "$build" --target help)
for target in kestrel_reader_bench kestrel_engine_bench kestrel_density_bench \
  kestrel_depositional_bench kestrel_unmixing_bench kestrel_replot_bench; do
  if grep -q "^$target:" <<<"$known"; then benches+=("$target"); fi
done
for target in kestrel kestrel_window_bench kestrel_figures_bench; do
  if grep -q "^$target:" <<<"$known"; then benches+=("$target"); fi
done
cmake --build "$build" -j 2 --target kestrel-batch kestrel-make-samples \
  kestrel_critical_value_table "${benches[@]}" >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
rows=()  # markdown table rows

# The speed aims, in milliseconds: measured and judged here, never asserted by a test, where a
# busy machine would fail a good build. Google Benchmark rows by program/benchmark.
declare -A aims=(
  [kestrel_engine_bench/BM_NonmetricMds/200]=1000
  [kestrel_depositional_bench/BM_DepositionalAges/real_time]=1000
  [kestrel_depositional_bench/BM_MaximumLikelihoodAges/real_time]=500
  [kestrel_depositional_bench/BM_ComponentsAuto]=500
  [kestrel_unmixing_bench/BM_ExactD]=20
  [kestrel_unmixing_bench/BM_BootstrapD1000/iterations:1/real_time]=10000
  [kestrel_unmixing_bench/BM_Nmf200x5001K2to8/iterations:1/real_time]=5000
  [kestrel_window_bench/BM_GrainAgesPreview16x100]=100
  [kestrel_figures_bench/BM_StackedFigure100x1000/Svg/real_time]=1000
  [kestrel_figures_bench/BM_StackedFigure100x1000/Pdf/real_time]=2000
  [kestrel_figures_bench/BM_DistributionsRedraw100x1000/real_time]=200
  [kestrel_window_bench/BM_FindEnd65535AgeCells]=5000
  [kestrel_window_bench/BM_SpreadsheetFillScrollZoom65536]=10000
)
# "; aim: under LIMIT ms, met" (or "missed") for a median of MEDIAN ms.
aim() {
  "$python" -c 'import sys; m, a = float(sys.argv[1]), float(sys.argv[2]); print("; aim: under %s ms, %s" % (format(int(a), ","), "met" if m < a else "missed"))' "$1" "$2"
}

# Google Benchmark: one row per benchmark, the median of its repetitions.
for target in "${benches[@]}"; do
  [ "$target" = kestrel ] && continue
  binary=$(find "$build/bench" -maxdepth 2 -type f -name "$target" | head -n 1)
  QT_QPA_PLATFORM=offscreen "$binary" --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true --benchmark_format=json \
    --benchmark_out="$work/$target.json" --benchmark_out_format=json >/dev/null 2>&1
  target_aims=()
  for key in "${!aims[@]}"; do
    [ "${key%%/*}" = "$target" ] && target_aims+=("${key#*/}=${aims[$key]}")
  done
  while IFS= read -r line; do rows+=("$line"); done < <("$python" - "$work/$target.json" "$target" "${target_aims[@]}" <<'PY'
import json, sys
data = json.load(open(sys.argv[1]))
aims = dict(a.rsplit("=", 1) for a in sys.argv[3:])
for b in data["benchmarks"]:
    if b.get("aggregate_name") != "median":
        continue
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
    name = "/".join(p for p in b["run_name"].split("/")
                    if p != "manual_time" and not p.startswith("repeats:"))
    median = b["real_time"] * scale
    judged = ""
    if name in aims:
        limit = float(aims[name])
        judged = "; aim: under %s ms, %s" % (format(int(limit), ","), "met" if median < limit else "missed")
    print(f"| {sys.argv[2]} | {name}{judged} | {median:.3f} ms | |")
PY
  )
  # Beside the nonmetric map, scikit-learn's from the same matrix and classical start.
  mds_matrix=${TMPDIR:-/tmp}/kestrel-mds-bench/planar_200.csv
  if [ "$target" = kestrel_engine_bench ] && [ -f "$mds_matrix" ]; then
    read -r pymds pysteps < <("$python" bench/python/nonmetric_mds.py "$mds_matrix" 5)
    rows+=("| Python (scikit-learn) | the same 200-sample nonmetric map (bench/python/nonmetric_mds.py, $pysteps steps) | $pymds ms | |")
  fi
  # Beside depositional ages and age components, numpy and scipy on the samples it wrote.
  depositional_samples=${TMPDIR:-/tmp}/kestrel-depositional-bench/samples_200x1000.csv
  if [ "$target" = kestrel_depositional_bench ] && [ -f "$depositional_samples" ]; then
    read -r pyall pymla pymix pyk < <("$python" bench/python/depositional_ages.py "$depositional_samples")
    rows+=("| Python (numpy, scipy) | the same ten estimators of 200 samples x 1,000 grains (bench/python/depositional_ages.py) | $pyall ms | |")
    rows+=("| Python (scipy.optimize) | the same maximum likelihood ages of the 200 samples | $pymla ms | |")
    rows+=("| Python (scipy.optimize) | the same age components of one sample, k = $pyk by BIC | $pymix ms | |")
  fi
  # Beside unmixing, scipy's linprog on the same grains (the bootstrap timed on 100 resamples and
  # scaled to 1,000), the field's random search, and scikit-learn's NMF of the same profiles.
  unmixing_data=${TMPDIR:-/tmp}/kestrel-unmixing-bench
  if [ "$target" = kestrel_unmixing_bench ] && [ -f "$unmixing_data/sources.csv" ]; then
    read -r pyexact pyd pyrandom pyrandomd pyboot pynmf < <("$python" bench/python/unmixing.py \
      "$unmixing_data/sources.csv" "$unmixing_data/profiles.csv" 100)
    rows+=("| Python (scipy.optimize.linprog) | the same exact D fit of a sink and five sources of 1,000 grains (D = $pyd; bench/python/unmixing.py) | $pyexact ms | |")
    rows+=("| Python (numpy) | the field's random search: the best of 10,000 Dirichlet(1) mixtures (D = $pyrandomd) | $pyrandom ms | |")
    rows+=("| Python (scipy.optimize.linprog) | 1,000 bootstrap D fits (100 timed, scaled) | $pyboot ms | |")
    rows+=("| Python (scikit-learn) | NMF of the same 200 profiles x 5,001 rows, k = 2 to 8 | $pynmf ms | |")
  fi
done

# kestrel-batch as a process: hyperfine for time, /usr/bin/time for peak memory; beside it, in
# the same hyperfine run, the Python script doing the same job, and how many times faster
# kestrel-batch is.
batch=$build/tools/kestrel-batch
table=$build/data/KolmogorovSmirnov.cds
script=bench/python/ks_compare.py
for n in 5000 65535; do
  book=$work/profiles_$n.xls
  "$build/tools/kestrel-make-samples" --rows "$n" "$book" >/dev/null
  for variant in log summary; do
    args=("$book")
    pyargs=("$script" "$book" "$table")
    if [ $variant = summary ]; then
      args=(--summary "$work/summary_$n.xls" "$book")
      pyargs+=("$work/python_summary_$n.xls")
    fi
    hyperfine -N --warmup 3 --runs 20 --export-json "$work/h.json" \
      "$batch ${args[*]}" "$python ${pyargs[*]}" >/dev/null 2>&1
    read -r median pymedian < <("$python" -c 'import json,sys; r=json.load(open(sys.argv[1]))["results"]; print("%.1f %.1f" % (r[0]["median"] * 1000, r[1]["median"] * 1000))' "$work/h.json")
    peak=$(/usr/bin/time -v "$batch" "${args[@]}" 2>&1 >/dev/null |
           sed -n 's/.*Maximum resident set size (kbytes): //p')
    pypeak=$(/usr/bin/time -v "$python" "${pyargs[@]}" 2>&1 >/dev/null |
             sed -n 's/.*Maximum resident set size (kbytes): //p')
    ratio=$("$python" -c 'import sys; print("%.0fx" % (float(sys.argv[2]) / float(sys.argv[1])))' "$median" "$pymedian")
    label="window log only"
    [ $variant = summary ] && label="window log + summary workbook"
    rows+=("| kestrel-batch | $n data rows, $label | $median ms | $((peak / 1024)) MB |")
    rows+=("| Python (xlrd, numpy, xlwt) | the same; kestrel-batch is $ratio faster | $pymedian ms | $((pypeak / 1024)) MB |")
  done
done
# Many profiles at once: 200 profiles x 5,000 rows, all 19,900 pairs, the matrix and the MDS map,
# beside the same job in numpy (bench/python/ks_matrix.py), in one hyperfine run.
matrix_book=$work/profiles_200x5000.csv
"$build/tools/kestrel-make-samples" --profiles 200 --rows 5000 "$matrix_book" >/dev/null
hyperfine -N --warmup 3 --runs 20 --export-json "$work/h.json" \
  "$batch --matrix --columns B:GS --matrix-out $work/matrix.csv $matrix_book" \
  "$python bench/python/ks_matrix.py $matrix_book $work/python_matrix.csv" >/dev/null 2>&1
read -r median pymedian < <("$python" -c 'import json,sys; r=json.load(open(sys.argv[1]))["results"]; print("%.1f %.1f" % (r[0]["median"] * 1000, r[1]["median"] * 1000))' "$work/h.json")
peak=$(/usr/bin/time -v "$batch" --matrix --columns B:GS --matrix-out "$work/matrix.csv" "$matrix_book" 2>&1 >/dev/null |
       sed -n 's/.*Maximum resident set size (kbytes): //p')
rows+=("| kestrel-batch --matrix | 200 profiles x 5,000 rows of .csv: 19,900 pairs, matrix .csv, MDS$(aim "$median" 200) | $median ms | $((peak / 1024)) MB |")
rows+=("| Python (numpy) | the same (bench/python/ks_matrix.py) | $pymedian ms | |")
# The same 200 profiles by all six measures, the matrix file of every block and a nonmetric map,
# beside numpy and scikit-learn doing the same (bench/python/all_measures.py), in one run.
hyperfine -N --warmup 1 --runs 5 --export-json "$work/h.json" \
  "$batch --matrix --columns B:GS --measure all --mds nonmetric --matrix-out $work/matrix.csv $matrix_book" \
  "$python bench/python/all_measures.py $matrix_book $work/python_matrix.csv" >/dev/null 2>&1
read -r median pymedian < <("$python" -c 'import json,sys; r=json.load(open(sys.argv[1]))["results"]; print("%.1f %.1f" % (r[0]["median"] * 1000, r[1]["median"] * 1000))' "$work/h.json")
rows+=("| kestrel-batch --matrix --measure all --mds nonmetric | 200 profiles x 5,000 rows: 19,900 pairs by D, V, Similarity, Likeness, R² and W2, matrix .csv, nonmetric MDS$(aim "$median" 2000) | $median ms | |")
rows+=("| Python (numpy, scikit-learn) | the same (bench/python/all_measures.py) | $pymedian ms | |")
# From grain ages: 16 samples x 100 grains, every profile (PDP with the grains' own sigmas, or
# KDE with Botev bandwidths) on one grid and every pair's D, exact p and Kuiper V, beside the
# same job in numpy and scipy (bench/python/grain_ages.py) in one hyperfine run each.
ages_book=$work/ages_16x100.csv
"$python" bench/python/grain_ages.py make 16 100 "$ages_book"
for kind in pdp kde; do
  hyperfine -N --warmup 3 --runs 20 --export-json "$work/h.json" \
    "$batch --ages --matrix --errors beside --profile $kind --profiles-out $work/p.csv --matrix-out $work/m.csv $ages_book" \
    "$python bench/python/grain_ages.py run $ages_book $kind $work/pp.csv $work/pm.csv" >/dev/null 2>&1
  read -r median pymedian < <("$python" -c 'import json,sys; r=json.load(open(sys.argv[1]))["results"]; print("%.1f %.1f" % (r[0]["median"] * 1000, r[1]["median"] * 1000))' "$work/h.json")
  rows+=("| kestrel-batch --ages --matrix | 16 samples x 100 grains: ${kind^^} profiles, 120 pairs with D, exact p and Kuiper V | $median ms | |")
  rows+=("| Python (numpy, scipy) | the same (bench/python/grain_ages.py) | $pymedian ms | |")
done
# 200 samples x 1,000 grains: every pair's D and exact p.
big_ages=$work/ages_200x1000.csv
"$python" bench/python/grain_ages.py make 200 1000 "$big_ages"
hyperfine -N --warmup 1 --runs 5 --export-json "$work/h.json" \
  "$batch --ages --matrix --errors beside --matrix-out $work/m.csv $big_ages" >/dev/null 2>&1
median=$("$python" -c 'import json,sys; r=json.load(open(sys.argv[1]))["results"][0]; print("%.1f" % (r["median"] * 1000))' "$work/h.json")
rows+=("| kestrel-batch --ages --matrix | 200 samples x 1,000 grains: 19,900 pairs with D, exact p and Kuiper V | $median ms | |")
# Start-up alone: what every run pays before it reads a byte of the workbook.
hyperfine -N --warmup 3 --runs 30 --export-json "$work/h.json" "$batch --help" >/dev/null 2>&1
median=$("$python" -c 'import json,sys; r=json.load(open(sys.argv[1]))["results"][0]; print("%.1f" % (r["median"] * 1000))' "$work/h.json")
rows+=("| kestrel-batch | --help (program start) | $median ms | |")

# kestrel-batch on the 1,048,576-row .csv and .xlsx that kestrel_reader_bench wrote (window log).
formats=${TMPDIR:-/tmp}/kestrel-formats-bench
# Each with the window log only, then with a .xlsx summary of 1,048,576 rows as well.
for book in "$formats/profiles.csv" "$formats/profiles.xlsx"; do
  [ -f "$book" ] || continue
  for variant in log xlsx; do
    args=(--min-peak 0.5 --baseline 0.1 --window 20000 "$book")
    label="window log only"
    if [ $variant = xlsx ]; then
      args=(--summary "$work/summary_1m.xlsx" "${args[@]}")
      label="window log + .xlsx summary"
    fi
    hyperfine -N --warmup 1 --runs 5 --export-json "$work/h.json" "$batch ${args[*]}" >/dev/null 2>&1
    median=$("$python" -c 'import json,sys; r=json.load(open(sys.argv[1]))["results"][0]; print("%.1f" % (r["median"] * 1000))' "$work/h.json")
    peak=$(/usr/bin/time -v "$batch" "${args[@]}" 2>&1 >/dev/null |
           sed -n 's/.*Maximum resident set size (kbytes): //p')
    rows+=("| kestrel-batch | 1,048,575 data rows, ${book##*.}, $label | $median ms | $((peak / 1024)) MB |")
  done
done

# The window from program start to shown, on an X server of its own.
if [ -x "$build/app/kestrel" ]; then
  start=$(xvfb-run -a -s "-screen 0 1280x900x24 -noreset" bench/window_start.sh "$build/app/kestrel" \
          "$PWD/$build/data") || start="(no window)"
  rows+=("| kestrel | program start to main window shown, table loaded (Xvfb) | $start ms | |")
fi

echo "Machine: $(nproc) cores, $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -n 1)"
echo
echo "| Program | Benchmark | Median time | Peak memory |"
echo "|---|---|---:|---:|"
printf '%s\n' "${rows[@]}"
