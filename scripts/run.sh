#!/usr/bin/env bash
# Builds the tool and starts it on the simulated receiver: qvr-sim serves a
# QVR4100 MAX with a UHF radio on a pseudo-terminal and qvrctl reads it.
# Arguments go to qvrctl in place of "info" (for example: --json info).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target qvr-sim qvrctl
link=$(mktemp -u /tmp/qvr-sim-XXXXXX)
build/default/sim/qvr-sim --preset uhf --link "$link" >/dev/null &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
echo "Simulated receiver on $link; connecting (this takes about half a minute, as with a real receiver)..."
[ $# -gt 0 ] || set -- info
build/default/cli/qvrctl -p "$link" "$@"
