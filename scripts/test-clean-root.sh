#!/usr/bin/env bash
# Does what a newcomer does on a fresh Debian 12: `git clone`, `make test`, `make run`, in a
# minimal Debian 12 root (debootstrap minbase plus git and make) where nothing else is
# installed, so a package missing from scripts/install-deps.sh fails here rather than on a
# user's machine. Then the slow tests in the same build, and `make run` under Xvfb: the window
# must still be up after 5 seconds.
#
# It tests the committed HEAD (a clone), not uncommitted changes. Needs root (debootstrap,
# chroot, mount) and Debian's package mirror. The bare base root and the downloaded .deb files
# are cached in ~/.cache/tagwright-ci/ (TAGWRIGHT_CI_CACHE) so a run does not fetch them again;
# every run unpacks a fresh copy of the base and installs into it.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" -ne 0 ]; then
  echo "test-clean-root: needs root for debootstrap, chroot and mount" >&2
  exit 2
fi
bash scripts/install-deps.sh clean-root

CACHE=${TAGWRIGHT_CI_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tagwright-ci}
BASE=$CACHE/bookworm-minbase.tar
ARCHIVES=$CACHE/apt-archives
mkdir -p "$ARCHIVES/partial"
MIRROR=${DEBIAN_MIRROR:-$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -1)}
MIRROR=${MIRROR:-http://deb.debian.org/debian}

started=$SECONDS
step_start=$SECONDS
step() {
  local now=$SECONDS
  [ -n "${step_name:-}" ] && printf '== %-28s %4d s\n' "$step_name" $((now - step_start))
  step_name=$1
  step_start=$now
  [ -n "$step_name" ] && echo "== $step_name ..."
  return 0
}

if [ ! -f "$BASE" ]; then
  step "debootstrap (cached after)"
  tmp=$(mktemp -d /var/tmp/tagwright-base-XXXXXX)
  debootstrap --variant=minbase --include=git,make bookworm "$tmp" "$MIRROR" >/dev/null
  tar -C "$tmp" -cf "$BASE.part" . && mv "$BASE.part" "$BASE"
  rm -rf "$tmp"
fi

step "fresh root from the base"
ROOT=$(mktemp -d /var/tmp/tagwright-clean-root-XXXXXX)
MOUNTS=()
cleanup() {
  local status=$?
  local p
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/root" 2>/dev/null)" = "$ROOT" ] && kill -KILL "${p#/proc/}" 2>/dev/null
  done
  sleep 0.2
  for ((i = ${#MOUNTS[@]} - 1; i >= 0; i--)); do
    umount -l "${MOUNTS[i]}" 2>/dev/null || true
  done
  # Never delete through a mount that is still there: the bound cache is the host's.
  if findmnt -rn -o TARGET | grep -q "^$ROOT"; then
    echo "test-clean-root: $ROOT still has mounts; left in place" >&2
  else
    rm -rf "$ROOT"
  fi
  exit $status
}
trap cleanup EXIT
tar -C "$ROOT" -xf "$BASE"
mount_in() {  # mount_in TARGET mount-arguments...
  local target=$ROOT/$1
  shift
  mkdir -p "$target"
  mount "$@" "$target"
  MOUNTS+=("$target")
}
mount_in proc -t proc proc
mount_in sys -t sysfs sysfs
mount_in dev/pts -t devpts -o newinstance,ptmxmode=0666 devpts
mount_in dev/shm -t tmpfs -o mode=1777 tmpfs
mount_in var/cache/apt/archives --bind "$ARCHIVES"
# Keep the downloaded packages for the next run; a plain Debian keeps them too.
rm -f "$ROOT/etc/apt/apt.conf.d/docker-clean"
cp /etc/resolv.conf "$ROOT/etc/resolv.conf" 2>/dev/null || true
git clone --quiet --bare . "$ROOT/srv/tagwright.git"

in_root() {
  chroot "$ROOT" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb CI="${CI:-}" \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    bash -euo pipefail -c "$1"
}

step "git clone"
in_root 'git clone --quiet /srv/tagwright.git /root/tagwright'

step "make test"
in_root 'cd /root/tagwright && make test'

step "make test-slow"
in_root 'cd /root/tagwright && make test-slow'

step "make run (window up 5 s)"
in_root '
  cd /root/tagwright
  Xvfb :77 -screen 0 1280x900x24 -nolisten tcp >/tmp/xvfb.log 2>&1 &
  for _ in $(seq 50); do [ -e /tmp/.X11-unix/X77 ] && break; sleep 0.1; done
  DISPLAY=:77 make run >/tmp/run.log 2>&1 &
  make_pid=$!
  # make checks the packages and the build first; the window starts after that.
  for _ in $(seq 600); do pgrep -x tagwright >/dev/null && break
    kill -0 $make_pid 2>/dev/null || break; sleep 0.2; done
  if ! pgrep -x tagwright >/dev/null; then
    echo "make run: the window did not start"; cat /tmp/run.log; exit 1
  fi
  sleep 5
  if ! pgrep -x tagwright >/dev/null; then
    echo "make run: the window closed within 5 s"; cat /tmp/run.log; exit 1
  fi
  pkill -x tagwright; wait $make_pid 2>/dev/null || true
  pkill -x Xvfb || true
  echo "make run: the window was up after 5 s"
'
step ""
echo "== clean root: all steps passed in $((SECONDS - started)) s"
