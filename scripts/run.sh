#!/usr/bin/env bash
# Installs what is missing, builds Kestrel and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target kestrel kestrel-batch
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: Kestrel needs a desktop. Headless, use build/tools/kestrel-batch --help (or run under xvfb-run)."
  exit 1
fi
exec build/app/kestrel "$@"
