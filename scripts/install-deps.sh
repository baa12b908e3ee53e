#!/usr/bin/env bash
# Installs what building and testing need on Debian 12, and nothing that is
# already there. Run as root (make demo and make test call it).
set -euo pipefail

native=(cmake g++ make ninja-build pkg-config libgtest-dev googletest libbenchmark-dev cc65 libgme-dev
        clang libclang-rt-14-dev python3 hyperfine zip help2man gettext locales)
windows=(g++-mingw-w64-i686-win32 wine wine32:i386 fonts-wine xvfb xauth imagemagick
         fonts-wqy-microhei locales)
# make deb: dpkg-shlibdeps (and file, with which CPack finds the programs to check)
# for the dependencies, lintian for the check.
deb=(dpkg-dev file lintian)

want=("${native[@]}")
if [ "${KELVANE_NATIVE_ONLY:-0}" != 1 ]; then
    want+=("${windows[@]}")
fi
if [ "${KELVANE_DEB:-0}" = 1 ]; then
    want+=("${deb[@]}")
fi

missing=()
for pkg in "${want[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$pkg")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" != 0 ]; then
    echo "install-deps: missing packages: ${missing[*]}; run as root to install them" >&2
    exit 1
fi
echo "install-deps: installing ${missing[*]}"
for pkg in "${missing[@]}"; do
    case "$pkg" in *:i386)
        dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386 ;;
    esac
done
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
