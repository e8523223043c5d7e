#!/usr/bin/env bash
# Builds the .deb and proves it installs and runs on a clean Debian 12: a minimal system made
# with debootstrap in a temporary folder, where apt installs the package with its dependencies,
# then `tagwright-cli --version` and a probe of a generated MP3 run inside it.
# Needs root (chroot) and Debian's package mirror.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh package
cmake --preset default >/dev/null
cmake --build --preset default
(cd build && cpack -G DEB >/dev/null)
DEB=$(ls -t build/tagwright_*.deb | head -1)
echo "package: $DEB"
dpkg-deb --info "$DEB" | sed -n '/Depends/p'

ROOT=$(mktemp -d /tmp/tagwright-debian-XXXXXX)
cleanup() {
  umount "$ROOT/proc" 2>/dev/null || true
  rm -rf "$ROOT"
}
trap cleanup EXIT
MIRROR=${DEBIAN_MIRROR:-$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -1)}
MIRROR=${MIRROR:-http://deb.debian.org/debian}
echo "making a clean Debian 12 in $ROOT from $MIRROR ..."
debootstrap --variant=minbase bookworm "$ROOT" "$MIRROR" >/dev/null
mount -t proc proc "$ROOT/proc"
cp "$DEB" "$ROOT/tmp/tagwright.deb"
/usr/bin/python3 - "$ROOT/tmp/song.mp3" <<'PY'
import sys
sys.path.insert(0, "tests/cli")
import mp3gen
open(sys.argv[1], "wb").write(mp3gen.mp3(v2={"TIT2": "夜に駆ける", "TPE1": "YOASOBI"}))
PY
chroot "$ROOT" bash -c 'export DEBIAN_FRONTEND=noninteractive; apt-get update -qq && apt-get install -y -qq /tmp/tagwright.deb >/dev/null'
chroot "$ROOT" tagwright-cli --version
OUT=$(chroot "$ROOT" tagwright-cli probe --json /tmp/song.mp3)
echo "$OUT"
echo "$OUT" | grep -q '"title":"夜に駆ける"'
chroot "$ROOT" test -x /usr/bin/tagwright
chroot "$ROOT" test -f /usr/share/applications/tagwright.desktop
echo "package test: 1 passed, 0 failed"
