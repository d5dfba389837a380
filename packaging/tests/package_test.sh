#!/usr/bin/env bash
# Builds the Debian package from a built tree, unpacks it into a temporary root and checks it
# as a desktop would: its files, the three validators (desktop entries, AppStream, lintian),
# and the clock started from it, which must keep its files in the user's own folder.
# usage: package_test.sh BUILD_DIR
set -euo pipefail

if [ "${1:-}" = "--inside" ]; then
  root=$2 home=$3
  folder=$home/.local/share/velkan42
  # Waits up to 15 s for a top-level window with this exact caption; prints its id.
  wait_for() {
    for _ in $(seq 150); do
      id=$(xwininfo -root -tree | awk -v title="\"$1\"" 'index($0, title) && !found { print $1; found = 1 }')
      [ -n "$id" ] && { echo "$id"; return 0; }
      sleep 0.1
    done
    echo "no window \"$1\"" >&2
    return 1
  }
  "$root/usr/bin/Velkan42" & clock=$!
  trap 'kill $clock 2>/dev/null || true' EXIT
  # No timetable yet: the first start offers the sample first, as the default button.
  offer=$(wait_for "ベルカン42の時刻表")
  xdotool windowfocus --sync "$offer" key Return
  wait_for "ベルカン 42" >/dev/null
  for _ in $(seq 100); do
    [ -s "$folder/velkan42.ini" ] && break
    sleep 0.1
  done
  cmp "$folder/velkan42.dat" "$root/usr/share/velkan42/velkan42.dat"
  [ -s "$folder/velkan42.ini" ] || { echo "no velkan42.ini in $folder" >&2; exit 1; }
  "$(dirname "$0")/../../scripts/ends-on-sigterm.sh" "$clock"
  exit 0
fi

build=$(cd "$1" && pwd)
for tool in cpack dpkg-deb; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed, so the Debian package cannot be built here"
    exit 77
  fi
done
for tool in desktop-file-validate appstreamcli lintian Xvfb xwininfo xdotool; do
  command -v "$tool" >/dev/null ||
    { echo "$tool is missing: scripts/install-deps.sh installs it" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/out/*.deb)
name=$(basename "$deb")
[[ $name =~ ^velkan42_[0-9][0-9.]*_$(dpkg --print-architecture)\.deb$ ]] ||
  { echo "unexpected package name $name" >&2; exit 1; }
echo "built $name"

root=$work/root
dpkg-deb -x "$deb" "$root"
missing=0
id=io.github.velkan42
for program in Velkan42 V42Editor V42Converter; do
  for file in usr/bin/$program usr/share/applications/$id.$program.desktop \
              usr/share/icons/hicolor/scalable/apps/$id.$program.svg \
              usr/share/man/man1/$program.1.gz; do
    [ -e "$root/$file" ] || { echo "missing /$file" >&2; missing=1; }
  done
  for size in 16 24 32 48 64 128 256; do
    png=usr/share/icons/hicolor/${size}x${size}/apps/$id.$program.png
    [ -e "$root/$png" ] || { echo "missing /$png" >&2; missing=1; }
  done
done
for file in usr/share/metainfo/$id.Velkan42.metainfo.xml usr/share/velkan42/velkan42.dat \
            usr/share/doc/velkan42/copyright usr/share/doc/velkan42/changelog.gz; do
  [ -e "$root/$file" ] || { echo "missing /$file" >&2; missing=1; }
done
# The import command has no menu entry, but a manual page.
for file in usr/bin/V42Import usr/share/man/man1/V42Import.1.gz; do
  [ -e "$root/$file" ] || { echo "missing /$file" >&2; missing=1; }
done
[ "$missing" -eq 0 ]
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 ||
  { echo "the dependencies were not computed from the binaries" >&2; exit 1; }
# Opened at the first sound rather than linked: named by hand.
dpkg-deb -f "$deb" Depends | grep -q libsdl2-mixer-2.0-0 ||
  { echo "the sound libraries are not among the dependencies" >&2; exit 1; }
dpkg-deb -f "$deb" Depends | grep -q libcurl4 ||
  { echo "libcurl is not among the dependencies" >&2; exit 1; }

desktop-file-validate "$root"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.Velkan42.metainfo.xml"
if ! report=$(lintian --fail-on error "$deb" 2>&1); then
  echo "$report" >&2
  exit 1
fi
echo "files, desktop entries, metainfo and lintian pass"

# The clock from the unpacked package, for a new user: nothing beside its executable, so its
# files go to the per-user folder.
home=$work/home
mkdir -p "$home" && mkdir -m 700 "$work/runtime"
HOME=$home XDG_RUNTIME_DIR=$work/runtime QT_QPA_PLATFORM=xcb \
  SDL_AUDIODRIVER=dummy LC_ALL=C.UTF-8 env -u XDG_DATA_HOME "$(dirname "$0")/../../scripts/on-own-display.sh" "$0" --inside "$root" "$home"
[ -z "$(ls -A "$root/usr/bin" | grep -v -e '^Velkan42$' -e '^V42Editor$' -e '^V42Converter$' -e '^V42Import$')" ] ||
  { echo "files were written beside the executables" >&2; exit 1; }
echo "the unpacked clock keeps its files in $home/.local/share/velkan42"
