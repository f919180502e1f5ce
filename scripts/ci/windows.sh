#!/usr/bin/env bash
# Windows: builds the core, qvrctl.exe, qvr-bench.exe and the test suites with
# MinGW-w64 (preset windows) and the download zip (cpack), runs the suites
# under Wine in a fresh, headless Wine prefix, unzips the download into that
# prefix, then proves the unzipped qvrctl.exe against the simulated receiver:
# Wine maps COM5 to the pty of qvr-sim, and qvrctl.exe reads the identity
# (which must match the native qvrctl's), changes the volume and reads it
# back. Runs from the repository root after scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/../.."
start=$SECONDS

scripts/deps.sh g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 googletest zip unzip

cmake --preset windows >/dev/null
cmake --build --preset windows
cmake --build --preset windows --target package
version=$(sed -n 's/^project(QVRConfigTool VERSION \([^ ]*\) .*/\1/p' CMakeLists.txt)
zip=build/windows/qvr-config-tool-$version-win64.zip
[ -f "$zip" ] || { echo "no $zip" >&2; exit 1; }

# Debian's wine64 keeps its loader out of PATH unless the "wine" package is
# installed too; either will do.
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)

work=$(mktemp -d /tmp/qvr_windows_XXXXXX)
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  WINEPREFIX="$work/prefix" "$wineserver" -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

# Headless and quiet: no display, no menu entries, no Mono or Gecko prompts.
unset DISPLAY WAYLAND_DISPLAY
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEARCH=win64
# The native qvrctl keeps its remembered rates in this run's own folder.
export XDG_CONFIG_HOME="$work/config"
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"
"$wine" wineboot -i >/dev/null 2>&1 || true
"$wineserver" -w  # until wineboot's server has gone
# One server for all the runs (each start costs seconds); when killed it
# lists its objects on stderr.
"$wineserver" -p >/dev/null 2>&1

# Lets the prefix's services finish starting before the suites run.
"$wine" reg query 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' >/dev/null

# One ctest test per suite binary; -V keeps the suites' own counts. A Wine
# process has been seen to stay on after its suite passed: such a run is
# tried again.
if ! ctest --preset windows -V --timeout 60 --repeat after-timeout:3 >"$work/ctest.log" 2>&1; then
  cat "$work/ctest.log"
  exit 1
fi
grep -E '^(Total Test time|[0-9]+% tests passed)' "$work/ctest.log"
tests=$(grep -o '\[==========\] [0-9]* tests\? from [0-9]* test suites\? ran' "$work/ctest.log" |
  awk '{s += $2} END {print s + 0}')

# The simulated receiver on a pty, at a rate that the connect reaches only
# after several rate changes.
[ -x build/default/sim/qvr-sim ] && [ -x build/default/cli/qvrctl ] ||
  cmake --build --preset default --target qvr-sim qvrctl
build/default/sim/qvr-sim --baud 38400 >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done
pty=$(head -n 1 "$work/sim.out")
[ -e "$pty" ] || { echo "qvr-sim gave no pty" >&2; exit 1; }

# Wine reads its port mapping when its server starts: restart it.
"$wine" reg add 'HKLM\Software\Wine\Ports' /v COM5 /t REG_SZ /d "$pty" /f >/dev/null
"$wineserver" -k >/dev/null 2>&1 || true
"$wineserver" -w
"$wineserver" -p >/dev/null 2>&1

run() { timeout 300 "$@"; }

# The download as a user gets it: unzipped into the prefix's C: drive. It
# holds exactly its four files, the texts with CRLF line ends.
unzip -q "$zip" -d "$WINEPREFIX/drive_c"
folder="$WINEPREFIX/drive_c/qvr-config-tool-$version-win64"
files=$(cd "$folder" && find . -type f | sed 's|^\./||' | sort | tr '\n' ' ')
[ "$files" = "LICENSE.txt README.txt qvr-bench.exe qvrctl.exe " ] ||
  { echo "unexpected contents of $zip: $files" >&2; exit 1; }
for text in LICENSE.txt README.txt; do
  [ "$(grep -c $'\r$' "$folder/$text")" = "$(wc -l <"$folder/$text")" ] ||
    { echo "$text has lines without CRLF" >&2; exit 1; }
done
echo "windows: $(basename "$zip") ($(stat -c %s "$zip") bytes): $files"
qvrctl_exe="$folder/qvrctl.exe"
[ "$(run "$wine" "$qvrctl_exe" --version | tr -d '\r')" = "qvrctl $version" ] ||
  { echo "the unzipped qvrctl.exe does not say version $version" >&2; exit 1; }

ports=$(run "$wine" "$qvrctl_exe" ports | tr -d '\r')
echo "qvrctl.exe ports: $(echo $ports)"
grep -qx COM5 <<<"$ports" || { echo "COM5 is not listed" >&2; exit 1; }

run "$wine" "$qvrctl_exe" -p COM5 --json info >"$work/windows.json"
run build/default/cli/qvrctl -p "$pty" --json info >"$work/native.json"
echo "qvrctl.exe info: $(tr -d '\r' <"$work/windows.json")"
echo "qvrctl info:     $(cat "$work/native.json")"
# The identity must match; only the link's port name differs.
identity() { tr -d '\r' <"$1" | sed 's/"link":{[^}]*}//'; }
[ "$(identity "$work/windows.json")" = "$(identity "$work/native.json")" ] ||
  { echo "qvrctl.exe and qvrctl disagree" >&2; exit 1; }

volume() { grep -o '"volume":[0-9]*' "$1" | cut -d: -f2; }
old=$(volume "$work/windows.json")
new=$(( old == 7 ? 2 : 7 ))
run "$wine" "$qvrctl_exe" -p COM5 --json receiver --volume "$new" >"$work/change.json" 2>/dev/null
run "$wine" "$qvrctl_exe" -p COM5 --json info >"$work/after.json"
[ "$(volume "$work/after.json")" = "$new" ] ||
  { echo "volume $old -> $new did not hold: $(volume "$work/after.json")" >&2; exit 1; }

echo "windows: $tests tests passed under Wine; $(basename "$zip")'s qvrctl.exe against qvr-sim on COM5: identity as native, volume $old -> $new; $((SECONDS - start)) s"
