#!/usr/bin/env bash
# kestrel-batch's manual page renders through man without a warning, and describes every option
# that kestrel-batch --help lists.
set -uo pipefail
page=$1 program=$2
status=0

rendered=$(mktemp)
trap 'rm -f "$rendered"' EXIT
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >"$rendered")
if [ -n "$warnings" ]; then
  echo "man warns about $page:"
  echo "$warnings"
  status=1
fi
grep -q '^NAME' "$rendered" || { echo "$page renders no NAME section"; status=1; }

options=$("$program" --help | grep -oE '^  --[a-z0-9-]+' | tr -d ' ' | sort -u)
[ -n "$options" ] || { echo "kestrel-batch --help lists no option"; status=1; }
for option in $options; do
  # Rendered, an option heads its own entry of the OPTIONS section.
  grep -qE "^ +${option}( |$)" "$rendered" || { echo "the manual page lacks $option"; status=1; }
done
exit $status
