#!/usr/bin/env bash
# CI: builds the libFuzzer targets (clang, address and undefined-behaviour
# sanitizers), writes their seed corpora from the golden transcripts and the
# simulated receiver, and runs every target for a bounded time, two at a
# time (about 3.5 minutes in all). Prints each target's run count; fails
# when any target found a crash, an overrun, undefined behaviour or a hang,
# printing the input (base64) to keep under tests/fuzz/regressions/TARGET/.
#   FUZZ_SECONDS=N  seconds per target (default 80; the log reader half)
set -euo pipefail
cd "$(dirname "$0")/../.."

scripts/deps.sh clang libclang-rt-dev

seconds=${FUZZ_SECONDS:-80}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
start=$(date +%s)
targets=(fuzz_gsm fuzz_receiver fuzz_readlog fuzz_uhf fuzz_upgrade)
if ! { cmake --preset fuzz && cmake --build --preset fuzz --target fuzz_seeds "${targets[@]}"; } >"$work/build.log" 2>&1; then
  tail -n 40 "$work/build.log"
  echo "fuzz: the fuzz targets did not build"
  exit 1
fi
built=$(date +%s)

bin=build/fuzz/tests/fuzz
export TMPDIR="$work"  # the targets' download and upgrade files
"$bin/fuzz_seeds" tests/golden "$work/corpus"

run() {  # NAME SECONDS
  local name=$1 time=$2
  mkdir -p "$work/corpus/$name" "$work/found/$name"
  local rc=0
  (cd "$work/found/$name" &&
    "$OLDPWD/$bin/$name" -max_total_time="$time" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$work/found/$name/" "$work/corpus/$name" >"$work/$name.log" 2>&1) || rc=$?
  echo "$rc" >"$work/$name.rc"
}
# Two lanes of about the same length for the two cores.
(run fuzz_gsm "$seconds"; run fuzz_receiver "$seconds"; run fuzz_readlog $((seconds / 2))) &
(run fuzz_uhf "$seconds"; run fuzz_upgrade "$seconds") &
wait
ran=$(date +%s)

failed=0
for name in "${targets[@]}"; do
  rc=$(cat "$work/$name.rc")
  execs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$work/$name.log" | awk '{print $2}' | tail -n 1 || true)
  if [ "$rc" -eq 0 ]; then
    echo "fuzz: $name ${execs:-?} runs, no finding"
  else
    failed=1
    echo "fuzz: $name FAILED (exit $rc) after ${execs:-?} runs"
    grep -E 'ERROR|runtime error|SUMMARY|deadly signal|timeout' "$work/$name.log" | head -n 12 || true
    for input in "$work/found/$name"/*; do
      [ -f "$input" ] || continue
      echo "  input $(basename "$input") (base64):"
      base64 -w 0 "$input"
      echo
    done
  fi
done
echo "fuzz: build $((built - start)) s, seeds and runs $((ran - built)) s"
exit "$failed"
