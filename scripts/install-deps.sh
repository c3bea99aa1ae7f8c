#!/usr/bin/env bash
# Installs the Debian packages the project needs, and only those that are
# missing; runs apt-get only when something is missing, so a second run is
# quick and changes nothing.
set -euo pipefail

# What the build needs.
BUILD_PACKAGES=(
  cmake g++ make
  qt6-base-dev qt6-charts-dev qt6-connectivity-dev qt6-multimedia-dev
  libgl-dev
  libalglib-dev
)

# What the tests need on top (offscreen and X11 platform plugins, a virtual
# display for screenshots, a private sound server with its command-line
# player and recorder for the sound test).
TEST_PACKAGES=(
  qt6-qpa-plugins
  xvfb xauth
  pulseaudio pulseaudio-utils
  dbus dbus-daemon python3-dbus python3-gi
)

missing=()
for pkg in "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  if [[ "$status" != "install ok installed" ]]; then
    missing+=("$pkg")
  fi
done

if (( ${#missing[@]} == 0 )); then
  echo "install-deps: all packages present"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=()
if [[ "$(id -u)" != 0 ]]; then
  SUDO=(sudo)
fi
"${SUDO[@]}" apt-get update
"${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
