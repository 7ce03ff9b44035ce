#!/usr/bin/env bash
# Sets up, builds and runs a session of the source under the plain TWAIN host.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build
export TWAINDSM_SOURCE="$PWD/build/bin/SNAPSRC.DS"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
# Without a display the session runs unattended and ends by itself.
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  export QT_QPA_PLATFORM=offscreen
  build/bin/snapgrab --once
else
  build/bin/snapgrab
fi
