#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Tagwright need.
# Idempotent: packages already installed are skipped, and apt is not touched at all
# when nothing is missing. Works as root or through sudo.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6svg6 qt6-svg-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang-format
  xvfb xauth fonts-noto-cjk
  python3
)
# Extra groups, asked for by name: `install-deps.sh mutagen` etc.
for extra in "$@"; do
  case "$extra" in
    mutagen) PACKAGES+=(python3-mutagen) ;;
    taglib) PACKAGES+=(libtag1-dev) ;;
    cli) PACKAGES+=(libcli11-dev nlohmann-json3-dev) ;;
    screenshots) PACKAGES+=(imagemagick x11-apps) ;;
    *) echo "install-deps.sh: unknown group '$extra'" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  SUDO=()
elif command -v sudo >/dev/null 2>&1; then
  SUDO=(sudo)
else
  echo "install-deps: need root or sudo to install: ${missing[*]}" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
