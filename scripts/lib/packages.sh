# Debian packages Quillfire needs, and a function that installs the missing ones.
# Sourced by scripts/run and scripts/test.

BUILD_PACKAGES=(build-essential cmake ninja-build pkg-config qt6-base-dev libarchive-dev libssl-dev
  qt6-wayland fonts-dejavu-core)
TEST_PACKAGES=(libgtest-dev python3 xvfb xauth openssl curl libarchive-tools godot3 dbus-daemon
  libgl1-mesa-dri desktop-file-utils appstream dpkg-dev file nginx clang)

install_missing() {
  local missing=()
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update -qq
  # The tests start their own nginx on loopback; installing it must not start a system web server.
  local policy=/usr/sbin/policy-rc.d added=""
  if [ ! -e "$policy" ]; then
    printf '#!/bin/sh\nexit 101\n' | "${sudo[@]}" tee "$policy" >/dev/null
    "${sudo[@]}" chmod 755 "$policy"
    added=yes
  fi
  local status=0
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" || status=$?
  [ -z "$added" ] || "${sudo[@]}" rm -f "$policy"
  return $status
}
