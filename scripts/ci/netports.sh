#!/usr/bin/env bash
# Network serial ports end to end: ser2net serves the pseudo-terminal of a
# simulated receiver on 127.0.0.1, in raw TCP and in RFC 2217 mode, and
# qvrctl talks to it through tcp:// and rfc2217://. Checks:
#   - `qvrctl --json -p rfc2217://... info` prints what the local pty run prints;
#   - a second rfc2217 run starts at the remembered rate;
#   - a raw tcp:// info works at the rate ser2net's port is set to;
#   - connection refused, a server killed mid-operation and a server that
#     never answers each end with a clear message within a bounded time.
# Runs from the repository root after build/default has been built.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/deps.sh ser2net python3 jq

build=${QVR_BUILD_DIR:-build/default}
qvrctl=$build/cli/qvrctl
sim=$build/sim/qvr-sim
if [ ! -x "$qvrctl" ] || [ ! -x "$sim" ]; then
  cmake --build --preset default --target qvrctl qvr-sim
fi

started=$(date +%s.%N)
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_CONFIG_HOME=$work/config
failures=0
summary=()
pass() { summary+=("ok    $1"); }
fail() { summary+=("FAIL  $1"); failures=$((failures + 1)); }
now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }

# The same JSON but for the fields given (jq paths)?
same_json() {
  local a=$1 b=$2 drop=$3
  [ -s "$a" ] && [ -s "$b" ] && [ "$(jq -S "del($drop)" "$a")" = "$(jq -S "del($drop)" "$b")" ]
}

# A TCP port nothing listens on (from a range above the usual ones).
free_port() {
  python3 - <<'PY'
import socket
s = socket.socket()
s.bind(("127.0.0.1", 0))
print(s.getsockname()[1])
s.close()
PY
}

# Waits until something listens on the TCP port (at most 5 s).
wait_listening() {
  for _ in $(seq 50); do
    python3 -c "import socket; socket.create_connection(('127.0.0.1', $1), 0.2).close()" 2>/dev/null && return 0
    sleep 0.1
  done
}

# Starts a simulated receiver at the given rate; sets $pty to its path.
start_sim() {
  local out=$work/sim.$1.$RANDOM
  "$sim" --baud "$1" >"$out" 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do
    [ -s "$out" ] && break
    sleep 0.1
  done
  pty=$(head -n 1 "$out")
}

# Starts ser2net on one YAML configuration, sets $ser2net_pid and waits
# until its ports listen.
start_ser2net() {
  local config=$1; shift
  ser2net -n -u -c "$config" -P "$work/ser2net.$RANDOM.pid" >>"$work/ser2net.log" 2>&1 &
  ser2net_pid=$!
  pids+=($ser2net_pid)
  for port in "$@"; do wait_listening "$port"; done
}

# qvrctl with a time limit; stdout to $1, stderr to $2, exit code echoed.
run_qvrctl() {
  local out=$1 err=$2; shift 2
  local code=0
  timeout 150 "$qvrctl" "$@" >"$out" 2>"$err" || code=$?
  echo "$code"
}

# --- failures: each a clear message within a bounded time
# expect_failure NAME LIMIT_S PATTERN qvrctl-arguments... (writes its line to
# $work/result.NAME, so that runs can overlap)
expect_failure() {
  local name=$1 limit=$2 pattern=$3; shift 3
  local t code took message file=$work/f.${name// /_}
  t=$(now)
  code=$(run_qvrctl "$file.out" "$file.err" "$@")
  took=$(elapsed "$t")
  message=$(grep -v '^qvrctl: notice' "$file.err" | tail -n 1)
  if [ "$code" != 0 ] && grep -q "$pattern" "$file.err" &&
     awk -v a="$took" -v b="$limit" 'BEGIN { exit !(a < b) }'; then
    echo "ok    $name: exit $code after ${took} s: $message" >"$file.result"
  else
    echo "FAIL  $name: exit $code after ${took} s (limit ${limit} s): $message" >"$file.result"
  fi
}

# A server that accepts and never says a word.
silent=$(free_port)
python3 -c "
import socket
s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(('127.0.0.1', $silent)); s.listen(8)
held = []
while True:
    c, _ = s.accept(); held.append(c)
" &
pids+=($!)

# --- the receivers: one behind ser2net in RFC 2217 mode, one in raw mode,
# one on its own pty for comparison. The runs wait more than they compute:
# those on different receivers overlap.
rate=57600
start_sim $rate
pty_rfc=$pty
start_sim $rate
pty_raw=$pty
start_sim $rate
pty_local=$pty
raw_port=$(free_port)
rfc_port=$(free_port)
cat >"$work/ser2net.yaml" <<YAML
connection: &raw
  accepter: tcp,127.0.0.1,$raw_port
  connector: serialdev,$pty_raw,${rate}n81,local
connection: &rfc2217
  accepter: telnet(rfc2217),tcp,127.0.0.1,$rfc_port
  connector: serialdev,$pty_rfc,9600n81,local
YAML
start_ser2net "$work/ser2net.yaml" "$raw_port" "$rfc_port"
wait_listening "$silent"

# In the background: the local pty run, the raw TCP run (at the rate of
# ser2net's port: rate changes cannot travel, qvrctl says so) and the
# silent raw server (nothing answers at any rate).
t_raw=$(now)
( run_qvrctl "$work/local.json" "$work/local.err" --json --no-remember -p "$pty_local" info >"$work/local.code" ) &
background=($!)
( run_qvrctl "$work/raw.json" "$work/raw.err" --json --no-remember -p "tcp://127.0.0.1:$raw_port" info >"$work/raw.code"
  elapsed "$t_raw" >"$work/raw.time" ) &
background+=($!)
expect_failure "silent raw server" 60 "no receiver found" --no-remember -p "tcp://127.0.0.1:$silent" info &
background+=($!)

# The full connect over RFC 2217: every rate of the search is set on the
# server's port.
t=$(now)
code_rfc=$(run_qvrctl "$work/rfc.json" "$work/rfc.err" --json --trace -p "rfc2217://127.0.0.1:$rfc_port" info)
rfc_time=$(elapsed "$t")
# The second connect starts at the rate remembered for that port name.
t=$(now)
code_rfc2=$(run_qvrctl "$work/rfc2.json" "$work/rfc2.err" --json --trace -p "rfc2217://127.0.0.1:$rfc_port" info)
rfc2_time=$(elapsed "$t")
wait "${background[@]}"

code_local=$(cat "$work/local.code")
if [ "$code_rfc" = 0 ] && [ "$code_local" = 0 ] && same_json "$work/rfc.json" "$work/local.json" .link.port; then
  pass "rfc2217 info = local pty info (${rfc_time} s, receiver at $rate)"
else
  fail "rfc2217 info (exit $code_rfc) differs from the local pty run (exit $code_local)"
  diff "$work/local.json" "$work/rfc.json" || true
  grep -hv Insufficent "$work/rfc.err" "$work/local.err" | tail -n 20 || true
fi
if [ "$code_rfc2" = 0 ] && grep -q "Trying $rate baud first" "$work/rfc2.err" &&
   same_json "$work/rfc2.json" "$work/local.json" .link.port; then
  pass "second rfc2217 info starts at the remembered $rate (${rfc2_time} s)"
else
  fail "second rfc2217 info (exit $code_rfc2) did not start at the remembered rate"
  grep -v Insufficent "$work/rfc2.err" | tail -n 20 || true
fi
if [ "$(cat "$work/raw.code")" = 0 ] && same_json "$work/raw.json" "$work/local.json" .link &&
   grep -q "raw TCP" "$work/raw.err"; then
  pass "raw tcp info at the server's $rate ($(cat "$work/raw.time") s)"
else
  fail "raw tcp info (exit $(cat "$work/raw.code"))"
  grep -v Insufficent "$work/raw.err" | tail -n 20 || true
fi

refused=$(free_port)
expect_failure "connection refused" 5 "refused" --no-remember -p "tcp://127.0.0.1:$refused" info
expect_failure "connection refused (rfc2217)" 5 "refused" --no-remember -p "rfc2217://127.0.0.1:$refused" info
expect_failure "silent rfc2217 server" 10 "did not answer" --no-remember -p "rfc2217://127.0.0.1:$silent" info

# The server goes while the connect searches (all rates, from 9600) and, with
# the rate remembered, while the found receiver's data are read.
for run in "3 --no-remember" "9 --trace"; do
  read -r delay flag <<<"$run"
  kill "$ser2net_pid" 2>/dev/null || true
  start_ser2net "$work/ser2net.yaml" "$raw_port" "$rfc_port"
  victim=$ser2net_pid
  ( sleep "$delay"; kill "$victim" ) &
  expect_failure "server killed after ${delay} s" $((delay + 10)) "stopped answering\|closed\|cannot open\|no receiver" \
    "$flag" -p "rfc2217://127.0.0.1:$rfc_port" info
done

for f in "$work"/f.*.result; do
  line=$(cat "$f")
  summary+=("$line")
  [ "${line#ok}" != "$line" ] || failures=$((failures + 1))
done
echo "network serial ports ($(elapsed "$started") s):"
printf '  %s\n' "${summary[@]}"
[ "$failures" -eq 0 ]
