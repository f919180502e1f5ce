#!/usr/bin/env bash
# Builds the tool and starts it on the simulated receiver: the desktop
# program with --simulate (a QVR4100 MAX with a UHF radio on a
# pseudo-terminal, listed first; press Connect). Without a display, qvr-sim
# serves the same receiver and qvrctl reads it instead. Arguments go to
# qvrctl in place of "info" (for example: --json info).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset default >/dev/null
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  cmake --build --preset default --target QVR4100MAConfigTool
  exec build/default/desktop/QVR4100MAConfigTool --simulate
fi
echo "No display here: running qvrctl info against the simulated receiver instead."
cmake --build --preset default --target qvr-sim qvrctl
link=$(mktemp -u /tmp/qvr-sim-XXXXXX)
build/default/sim/qvr-sim --preset uhf --link "$link" >/dev/null &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
echo "Simulated receiver on $link; connecting (this takes about half a minute, as with a real receiver)..."
[ $# -gt 0 ] || set -- info
build/default/cli/qvrctl -p "$link" "$@"
