#!/usr/bin/env bash
# The Debian package of the build: made by CPack, its control fields checked, unpacked with
# dpkg -x into a scratch root whose installed tree appstreamcli validates and whose copyright file
# names the licence in Debian's machine-readable format, and the unpacked
# kestrel-batch run on an unpacked sample workbook with no settings at all: it must find the
# packaged critical value table by itself (no warning, no critical value of 0).
set -uo pipefail
build=$1 id=$2 kind=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
status=0
fail() {
  echo "FAIL: $*"
  status=1
}

if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log"
  exit 1
fi
debs=("$scratch"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "cpack made no single .deb"; exit 1; }
deb=${debs[0]}

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = kestrel ] || fail "Package is '$(field Package)'"
[ "$(field Section)" = science ] || fail "Section is '$(field Section)'"
[[ "$(field Maintainer)" =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "Maintainer '$(field Maintainer)'"
description=$(field Description)
[ "$(wc -l <<<"$description")" -ge 2 ] || fail "no long description: '$description'"
# Each dependency as a package name, one per line.
depends=$(field Depends | tr ',' '\n' | sed -E 's/^ *([^ ]+).*/\1/')
needed=(libc6 libstdc++6 libgsf-1-114 libxml2)
[ "$kind" = gui ] && needed+=(libqt6core6 libqt6widgets6 libqt6printsupport6 libqcustomplot2.1-qt6
                                libqt6svg6 qt6-qpa-plugins)
for package in "${needed[@]}"; do
  grep -qx -- "$package" <<<"$depends" || fail "Depends lacks $package: $(field Depends)"
done

root=$scratch/root
dpkg -x "$deb" "$root" || { echo "dpkg -x failed"; exit 1; }
files=(usr/bin/kestrel-batch usr/share/kestrel/KolmogorovSmirnov.cds
       usr/share/kestrel/samples/Profiles97.xls usr/share/kestrel/samples/Profiles95.xls
       usr/share/kestrel/samples/GrainAges.xls
       usr/share/man/man1/kestrel-batch.1 usr/share/doc/kestrel/copyright)
[ "$kind" = gui ] && files+=(usr/bin/kestrel "usr/share/applications/$id.desktop"
                             "usr/share/icons/hicolor/scalable/apps/$id.svg"
                             "usr/share/metainfo/$id.metainfo.xml")
for file in "${files[@]}"; do
  [ -s "$root/$file" ] || fail "the package lacks /$file"
done
copyright=$root/usr/share/doc/kestrel/copyright
head -n 1 "$copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
  || fail "the copyright file is not in the machine-readable format"
grep -qx 'License: GPL-3+' "$copyright" || fail "the copyright file does not name GPL-3+"
if [ "$kind" = gui ]; then
  appstreamcli validate-tree --no-net "$root" >"$scratch/tree.log" 2>&1 \
    || { cat "$scratch/tree.log"; fail "appstreamcli rejects the installed tree"; }
fi

# No settings file, no build tree to fall back on: only the package's own folders.
mkdir -p "$scratch/home" "$scratch/work"
cd "$scratch/work"
export HOME=$scratch/home
unset XDG_CONFIG_HOME
graphs=()
[ "$kind" = gui ] && graphs=(--graphs "$scratch/work/graphs")
[ "$kind" = gui ] && mkdir "$scratch/work/graphs"
"$root/usr/bin/kestrel-batch" --window 100 "${graphs[@]}" \
  "$root/usr/share/kestrel/samples/Profiles97.xls" >out.txt 2>err.txt
run=$?
[ $run -eq 0 ] || fail "the unpacked kestrel-batch exited with $run"
if [ -s err.txt ]; then
  fail "the unpacked kestrel-batch printed on standard error:"
  cat err.txt
fi
cutoffs=$(grep -oE 'Cutoff = [0-9.eE+-]+' out.txt | awk '{print $3}')
[ -n "$cutoffs" ] || fail "no window line: $(cat out.txt)"
for cutoff in $cutoffs; do
  awk -v c="$cutoff" 'BEGIN { exit !(c > 0) }' || fail "a critical value of $cutoff: $(cat out.txt)"
done
if [ "$kind" = gui ]; then
  for chart in Chart1.png Chart2.png; do
    [ -s "graphs/$chart" ] || fail "the unpacked kestrel-batch wrote no graphs/$chart"
  done
fi
exit $status
