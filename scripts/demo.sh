#!/usr/bin/env bash
# Sets up, builds and runs a session of the source under the plain TWAIN host,
# with the simulated camera plugged in.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build

session=$(mktemp -d)
trap 'kill "${camera:-}" 2>/dev/null || true; rm -rf "$session"' EXIT
export SNAPSRC_DEVICES="$session/devices"
export TWAINDSM_SOURCE="$PWD/build/bin/SNAPSRC.DS"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$session}"
mkdir -p "$SNAPSRC_DEVICES"

build/bin/simcam --devices "$SNAPSRC_DEVICES" &
camera=$!
for _ in $(seq 50); do [ -S "$SNAPSRC_DEVICES/simcam0" ] && break; sleep 0.1; done

# Without a display the session runs unattended and ends by itself.
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  export QT_QPA_PLATFORM=offscreen SNAPSRC_UNATTENDED="$session/boxes.log"
  build/bin/snapgrab --once
else
  build/bin/snapgrab
fi
