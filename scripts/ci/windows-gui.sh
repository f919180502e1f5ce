#!/usr/bin/env bash
# Windows programs: builds QVR4100MAConfigTool.exe, QVRConfigTool.exe and
# their Qt Tests with MinGW-w64 and the Qt 6 kit for MinGW (preset
# windows-gui; the kit, qt6-mingw-6.4.2.tar.xz in shared/qt6-mingw/ beside
# the repository, is unpacked into the build folder), runs the Qt Tests under
# Wine (offscreen platform), packs each program's zip, then starts each zip,
# unpacked into a fresh Wine prefix of its own, under Xvfb against qvr-sim
# mapped to COM5: the program connects (its scripted start,
# QVR_SCRIPTED_CONNECT), shows the tabs of a receiver with a UHF radio, saves
# a picture of its window and of the screen, and closes. The handheld program
# runs on a Wine virtual desktop of 240 x 320. The pictures are kept in
# build/ci-artifacts/windows-gui/. Runs from the repository root after
# scripts/test.sh (which builds qvr-sim).
set -euo pipefail
cd "$(dirname "$0")/../.."
start=$SECONDS

scripts/deps.sh g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 fonts-wine googletest qt6-base-dev-tools xvfb

artifacts=$PWD/build/ci-artifacts/windows-gui
rm -rf "$artifacts"
mkdir -p "$artifacts"

cmake --preset windows-gui >/dev/null
build_start=$SECONDS
cmake --build --preset windows-gui
build_time=$((SECONDS - build_start))
(cd build/windows-gui && cpack -G ZIP >/dev/null)
desktop_zip=$(ls "$PWD"/build/windows-gui/packages/QVR4100MAConfigTool-*-win64.zip)
handheld_zip=$(ls "$PWD"/build/windows-gui/packages/QVRConfigTool-*-win64.zip)

wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)

work=$(mktemp -d /tmp/qvr_windows_gui_XXXXXX)
prefixes=()
cleanup() {
  for prefix in "${prefixes[@]}"; do WINEPREFIX="$prefix" "$wineserver" -k >/dev/null 2>&1 || true; done
  rm -rf "$work"
}
trap cleanup EXIT

export WINEDEBUG=-all WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"
# The native tools keep their settings in this run's own folder.
export XDG_CONFIG_HOME="$work/config"

# A fresh Wine prefix at $1, its server kept running.
new_prefix() {
  prefixes+=("$1")
  WINEPREFIX="$1" "$wine" wineboot -i >/dev/null 2>&1 || true
  WINEPREFIX="$1" "$wineserver" -w
  WINEPREFIX="$1" "$wineserver" -p >/dev/null 2>&1
  WINEPREFIX="$1" "$wine" reg query 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' >/dev/null
}

# The Qt Tests, headless. One ctest test per suite binary; -V keeps the
# suites' own totals.
prefixes+=("$work/tests")
(
  unset DISPLAY WAYLAND_DISPLAY
  export WINEPREFIX="$work/tests"
  new_prefix "$WINEPREFIX"
  tests_start=$SECONDS
  if ! ctest --preset windows-gui -V --timeout 300 >"$work/ctest.log" 2>&1; then
    cat "$work/ctest.log"
    exit 1
  fi
  echo "$((SECONDS - tests_start))" >"$work/tests.seconds"
  "$wineserver" -k >/dev/null 2>&1 || true
)
grep -E '^(Total Test time|[0-9]+% tests passed)' "$work/ctest.log"
# With -V each line of a test's output starts with its number.
read -r passed failed skipped < <(grep -o '^[0-9]*: Totals: [0-9]* passed, [0-9]* failed, [0-9]* skipped' "$work/ctest.log" |
  awk '{p += $3; f += $5; s += $7} END {print p + 0, f + 0, s + 0}')
suites=$(grep -c '^[0-9]*: Totals: ' "$work/ctest.log" || true)
[ "$failed" = 0 ] || { echo "$failed Qt Test functions failed" >&2; exit 1; }

# One program's zip in a fresh prefix on its own X server, against its own
# qvr-sim on COM5: name, zip, exe, virtual desktop size, a tab it must show.
# A subshell: it ends what it started.
[ -x build/default/sim/qvr-sim ] || cmake --build --preset default --target qvr-sim
run_program() (
  local name=$1 zip=$2 exe=$3 size=$4 tab=$5
  local dir="$work/$name" prefix="$work/$name/prefix"
  pids=()
  prefixes=()
  trap cleanup_program EXIT
  mkdir -p "$dir/program"
  (cd "$dir/program" && cmake -E tar xf "$zip")
  local program
  program=$(find "$dir/program" -name "$exe")
  [ -n "$program" ] || { echo "$name: no $exe in $zip" >&2; return 1; }

  # A virtual desktop of the size given, as on the target machine.
  exec 3>"$dir/display"
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  exec 3>&-
  for _ in $(seq 50); do [ -s "$dir/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n 1 "$dir/display")"
  export WINEPREFIX="$prefix"
  new_prefix "$prefix"
  "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f >/dev/null
  "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d "$size" /f >/dev/null

  build/default/sim/qvr-sim --preset uhf >"$dir/sim.out" 2>"$dir/sim.err" &
  pids+=($!)
  for _ in $(seq 50); do [ -s "$dir/sim.out" ] && break; sleep 0.1; done
  local pty
  pty=$(head -n 1 "$dir/sim.out")
  [ -e "$pty" ] || { echo "$name: qvr-sim gave no pty" >&2; return 1; }
  # Wine reads its port mapping when its server starts: restart it.
  "$wine" reg add 'HKLM\Software\Wine\Ports' /v COM5 /t REG_SZ /d "$pty" /f >/dev/null
  "$wineserver" -k >/dev/null 2>&1 || true
  "$wineserver" -w
  "$wineserver" -p >/dev/null 2>&1

  local seconds=$SECONDS status=0
  QVR_SCRIPTED_CONNECT="COM5;Z:$artifacts/$name.png" QVR_SCRIPTED_TIMEOUT=240 \
    timeout 300 "$wine" "$program" >"$dir/out" 2>"$dir/err" || status=$?
  local said
  said=$(tr -d '\r' <"$dir/out")
  echo "$name ($size, $((SECONDS - seconds)) s): ${said:-nothing said}"
  "$wineserver" -k >/dev/null 2>&1 || true
  if [ "$status" != 0 ] || ! grep -q "^connected: .*$tab" <<<"$said"; then
    echo "$name: exit status $status, no tab \"$tab\" after the connect" >&2
    tail -n 20 "$dir/err" >&2
    return 1
  fi
  [ -s "$artifacts/$name.png" ] && [ -s "$artifacts/$name-screen.png" ] ||
    { echo "$name: no pictures" >&2; return 1; }
)
cleanup_program() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for prefix in "${prefixes[@]}"; do WINEPREFIX="$prefix" "$wineserver" -k >/dev/null 2>&1 || true; done
}

# Both at once: each connect is mostly waiting for the receiver.
gui_start=$SECONDS
run_program desktop "$desktop_zip" QVR4100MAConfigTool.exe 800x600 "UHF Settings" >"$work/desktop.log" 2>&1 &
desktop_pid=$!
run_program handheld "$handheld_zip" QVRConfigTool.exe 240x320 "Radio" >"$work/handheld.log" 2>&1 &
handheld_pid=$!
ok=1
wait "$desktop_pid" || ok=0
wait "$handheld_pid" || ok=0
cat "$work/desktop.log" "$work/handheld.log"
[ "$ok" = 1 ] || exit 1

echo "windows-gui: build ${build_time} s; Qt Tests under Wine: $passed passed, $skipped skipped in $suites suites," \
  "$(cat "$work/tests.seconds") s; zips $(basename "$desktop_zip") $(du -k "$desktop_zip" | cut -f1) KiB," \
  "$(basename "$handheld_zip") $(du -k "$handheld_zip" | cut -f1) KiB; both programs connected to qvr-sim on COM5" \
  "in $((SECONDS - gui_start)) s; pictures in $artifacts; $((SECONDS - start)) s"
