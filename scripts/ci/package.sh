#!/usr/bin/env bash
# Builds the Debian package from build/default, checks it with lintian, checks
# the desktop entries and the AppStream metainfo, installs the package on this
# machine and runs the installed programs.
# Runs as root on a fresh Debian machine (sudo otherwise), from the repository
# root, after scripts/test.sh has built build/default.
set -euo pipefail
cd "$(dirname "$0")/../.."
start=$SECONDS
scripts/deps.sh desktop-file-utils man-db dpkg-dev file lintian appstream
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

fail() { echo "package: FAILED: $*" >&2; exit 1; }

# The build tree of scripts/test.sh; configured again so that the install
# rules are current, built (nothing to do after scripts/test.sh).
cmake --preset default >/dev/null
cmake --build --preset default
out=build/package
rm -rf "$out"
mkdir -p "$out"
(cd build/default && cpack -G DEB -B "$PWD/../package" >/dev/null) || fail "cpack"
deb=$(ls "$out"/*.deb)
[ "$(echo "$deb" | wc -l)" -eq 1 ] || fail "expected one .deb in $out, found: $deb"
echo "package: built $deb"
dpkg-deb -f "$deb" Package Version Architecture Depends

version=$(dpkg-deb -f "$deb" Version)
[ "$version" = "$(sed -n 's/^project(QVRConfigTool VERSION \([^ ]*\) .*/\1/p' CMakeLists.txt)" ] ||
  fail "package version $version is not the project's"

# lintian: no error and no warning (tags of info level are shown). The
# default maintainer address is not a real one (the packager sets
# QVR_PACKAGE_MAINTAINER); the tags about it are the only ones let through.
status=0
lintian --display-info --fail-on error,warning "$deb" >"$out/lintian.txt" 2>"$out/lintian.err" || status=$?
[ "$status" -eq 0 ] || [ "$status" -eq 2 ] || { cat "$out/lintian.err"; fail "lintian did not run (status $status)"; }
sed 's/^/  /' "$out/lintian.txt"
maintainer_tags='^[EW]: [^ ]+ (bogus-mail-host|bogus-mail-host-in-debian-changelog|maintainer-address-is-on-localhost) '
if grep -E '^[EW]: ' "$out/lintian.txt" | grep -Evq "$maintainer_tags"; then
  fail "lintian reports errors or warnings"
fi
echo "package: lintian: no error, no warning but $(grep -Ec "$maintainer_tags" "$out/lintian.txt" || true) on the maintainer address"

for entry in data/applications/*.desktop; do
  desktop-file-validate "$entry" || fail "desktop-file-validate $entry"
done
echo "package: desktop entries valid"

# The AppStream metainfo as the package ships it (version and date filled in):
# no error and no warning (appstreamcli fails on either).
dpkg-deb -x "$deb" "$out/root"
metainfo=("$out"/root/usr/share/metainfo/*.metainfo.xml)
[ ${#metainfo[@]} -eq 2 ] || fail "expected two metainfo files, found ${#metainfo[@]}"
appstreamcli validate --no-net "${metainfo[@]}" || fail "appstreamcli validate"
echo "package: AppStream metainfo valid: $(basename -a "${metainfo[@]}" | tr '\n' ' ')"

# Minimal Debian images tell dpkg to leave out /usr/share/man; let our own
# pages through, so that `man -w` finds what the package ships.
if grep -qs '^path-exclude=*/usr/share/man' /etc/dpkg/dpkg.cfg.d/*; then
  echo "package: dpkg excludes /usr/share/man on this machine; including the package's pages"
  printf 'path-include=/usr/share/man/man1/%s.1*\n' qvrctl qvr-sim QVR4100MAConfigTool QVRConfigTool |
    $sudo tee /etc/dpkg/dpkg.cfg.d/zz-qvr-config-tool-man >/dev/null
fi

DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --reinstall --no-install-recommends "./$deb" >/dev/null ||
  fail "apt-get install ./$deb"
package=$(dpkg-deb -f "$deb" Package)
dpkg -L "$package" | while read -r path; do [ -d "$path" ] || echo "  $path"; done

# The installed programs, not the build tree's.
export PATH=/usr/bin:/bin
for program in qvrctl qvr-sim QVR4100MAConfigTool QVRConfigTool; do
  [ "$(command -v "$program")" = "/usr/bin/$program" ] || fail "$program is not installed in /usr/bin"
done
qvrctl --help | grep -q '^usage: qvrctl' || fail "qvrctl --help"
qvr-sim --list-presets | grep -q '^uhf ' || fail "qvr-sim --list-presets"
man -w qvrctl | grep -q '^/usr/share/man/man1/qvrctl\.1\.gz$' || fail "man -w qvrctl"
man -w qvr-sim >/dev/null || fail "man -w qvr-sim"
man -w QVR4100MAConfigTool >/dev/null || fail "man -w QVR4100MAConfigTool"
man -w QVRConfigTool >/dev/null || fail "man -w QVRConfigTool"
# Every program says the package's version, the GUI programs without a display.
for program in qvrctl qvr-sim QVR4100MAConfigTool QVRConfigTool; do
  [ "$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" --version)" = "$program $version" ] ||
    fail "$program --version does not say $version"
done
# Every shared library the GUI programs need is there.
for program in QVR4100MAConfigTool QVRConfigTool; do
  ! ldd "/usr/bin/$program" | grep -q 'not found' || fail "$program misses a library"
done
[ -f /usr/share/bash-completion/completions/qvrctl ] || fail "bash completion"
bash -n /usr/share/bash-completion/completions/qvrctl || fail "bash completion syntax"

echo "package: OK: $(basename "$deb") lintian-clean, installs; --version of the four programs says $version; qvrctl --help, qvr-sim --list-presets and the man pages work ($((SECONDS - start)) s)"
