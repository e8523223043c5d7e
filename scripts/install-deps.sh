#!/usr/bin/env bash
# Installs the Debian packages that the default configure, build, tests and `make run` need;
# optional work asks for a named group (`install-deps.sh taglib fuzz`). Idempotent: packages already installed are skipped, and apt is not touched at all
# when nothing is missing. Works as root or through sudo.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6svg6 qt6-svg-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev
  clang-format
  xvfb xauth fonts-noto-cjk
  python3 python3-mutagen
)
# Extra groups, asked for by name: `install-deps.sh mutagen` etc.
for extra in "$@"; do
  case "$extra" in
    mutagen) ;;  # now installed by default; the group name still works
    taglib) PACKAGES+=(libtag1-dev) ;;
    profile) PACKAGES+=(linux-perf strace valgrind) ;;
    cli) ;;  # now installed by default; the group name still works
    fuzz) PACKAGES+=(clang libclang-rt-14-dev) ;;
    screenshots) PACKAGES+=(imagemagick x11-apps) ;;
    package) PACKAGES+=(dpkg-dev debootstrap file) ;;
    clean-root) PACKAGES+=(debootstrap git rsync) ;;
    windows) PACKAGES+=(g++-mingw-w64-x86-64-posix wine wine64 locales) ; NEED_JA_LOCALE=1 ;;
    *) echo "install-deps.sh: unknown group '$extra'" >&2; exit 2 ;;
  esac
done

# Wine takes its ANSI code page from the locale: ja_JP.UTF-8 gives code page 932.
ensure_ja_locale() {
  [ "${NEED_JA_LOCALE:-0}" = 1 ] || return 0
  locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$' && return 0
  echo "install-deps: generating the ja_JP.UTF-8 locale"
  ${SUDO_CMD} sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  ${SUDO_CMD} locale-gen >/dev/null
}

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ "$(id -u)" -eq 0 ]; then
  SUDO=()
  SUDO_CMD=""
elif command -v sudo >/dev/null 2>&1; then
  SUDO=(sudo)
  SUDO_CMD="sudo"
else
  SUDO=()
  SUDO_CMD=""
  if [ ${#missing[@]} -ne 0 ]; then
    echo "install-deps: need root or sudo to install: ${missing[*]}" >&2
    exit 1
  fi
fi

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  ensure_ja_locale
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# apt and dpkg talk a lot; their words are shown only when something fails.
log=$(mktemp /tmp/tagwright-install-deps-XXXXXX.log)
if ! { "${SUDO[@]}" apt-get update -qq && \
       "${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"; } >"$log" 2>&1; then
  tail -n 40 "$log" >&2
  echo "install-deps: installing ${missing[*]} failed; the whole log is in $log" >&2
  exit 1
fi
rm -f "$log"
echo "install-deps: installed"
ensure_ja_locale
