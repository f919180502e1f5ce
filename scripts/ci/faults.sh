#!/usr/bin/env bash
# The fault matrix: runs qvr-faults from build/default (building it when
# missing) and fails unless it ends "N passed, 0 failed".
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/deps.sh
if [ ! -x build/default/faults/qvr-faults ]; then
  [ -f build/default/CMakeCache.txt ] || cmake --preset default >/dev/null
  cmake --build --preset default --target qvr-faults
fi
start=$(date +%s)
status=0
build/default/faults/qvr-faults > build/default/qvr-faults.txt || status=$?
last=$(tail -n 1 build/default/qvr-faults.txt)
grep DISHONEST build/default/qvr-faults.txt || true
echo "qvr-faults: $last ($(( $(date +%s) - start )) s)"
if [ "$status" -ne 0 ] || ! [[ "$last" =~ ^[0-9]+\ passed,\ 0\ failed$ ]]; then
  echo "qvr-faults: the fault matrix has dishonest pairs (build/default/qvr-faults.txt)" >&2
  exit 1
fi
