#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Idempotent and
# quiet when everything is already there.
#   tools/bootstrap.sh            cross compilers, Wine, Xvfb and test tools
#   tools/bootstrap.sh --wine32   also 32-bit Wine and qemu for the i686 release's test
set -euo pipefail

want=(cmake g++ make python3 libgtest-dev clang libclang-rt-14-dev
      g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
      g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
      wine64 xvfb xauth xdotool x11-utils x11-apps imagemagick netpbm faketime icoutils
      xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils nsis p7zip-full osslsigncode openssl shellcheck)
if [[ "${1:-}" == --wine32 ]]; then
  want+=(wine32:i386 qemu-user)
fi

missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=""
[[ $(id -u) -ne 0 ]] && sudo="sudo"
if printf '%s\n' "${missing[@]}" | grep -q ':i386$'; then
  dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
fi
echo "installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
