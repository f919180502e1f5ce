#!/usr/bin/env bash
# Builds the tool and starts it on the simulated receiver.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target qvr-demo
exec build/default/cli/qvr-demo "$@"
