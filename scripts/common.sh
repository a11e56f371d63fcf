# Shared by scripts/run and scripts/test: Debian packages and the build.
set -euo pipefail

MOVAREL_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
MOVAREL_BUILD="${MOVAREL_BUILD:-$MOVAREL_ROOT/build}"
MOVAREL_DIST="${MOVAREL_DIST:-$MOVAREL_ROOT/dist}"

MOVAREL_PACKAGES=(
  cmake g++ ninja-build pkg-config
  qt6-base-dev libqt6opengl6-dev qt6-svg-dev libmpv-dev
  libavformat-dev libavcodec-dev libavutil-dev
  ffmpeg
  xvfb xauth
  qt6-wayland weston dbus-daemon
  desktop-file-utils appstream
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_packages() {
  local missing=()
  local p
  for p in "${MOVAREL_PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
  fi
}

build_movarel() {
  cmake -S "$MOVAREL_ROOT" -B "$MOVAREL_BUILD" -G Ninja \
    -DCMAKE_INSTALL_PREFIX="$MOVAREL_DIST" "$@" >/dev/null
  cmake --build "$MOVAREL_BUILD" --parallel "$(nproc)"
  cmake --install "$MOVAREL_BUILD" >/dev/null
}
