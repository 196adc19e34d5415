#!/usr/bin/env bash
# The desktop entry passes desktop-file-validate (hints allowed: the categories deliberately
# name two main categories) and the AppStream metadata passes appstreamcli's strict validation.
set -uo pipefail
desktop=$1 metainfo=$2
status=0

report=$(desktop-file-validate "$desktop" 2>&1) || status=1
if grep -v ': hint: ' <<<"$report" | grep -q .; then
  status=1
fi
[ -z "$report" ] || echo "$report"

appstreamcli validate --no-net --strict "$metainfo" || status=1
exit $status
