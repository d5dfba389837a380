#!/usr/bin/env bash
# Installs the Debian packages the suite needs to build, test and run; skips what is there.
# With --fuzz also clang's libFuzzer, for scripts/fuzz.sh.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev libqt6svg6 libgl-dev
  libsdl2-dev libsdl2-mixer-dev fluid-soundfont-gm libzip-dev
  fonts-noto-cjk xvfb xauth x11-utils dbus
  # Other Japanese fonts Debian ships: the layout tests check every text fits in each.
  fonts-ipafont-gothic fonts-vlgothic fonts-droid-fallback
  # A panel's tray for the clock's smoke test.
  trayer
  # Qt's own dialogs in Japanese.
  qt6-translations-l10n
  # The Debian package: icons, manual pages, and the checks its test runs.
  dpkg-dev librsvg2-bin desktop-file-utils appstream lintian xdotool
)
if [ "${1:-}" = "--fuzz" ]; then packages+=(clang libclang-rt-dev); fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
