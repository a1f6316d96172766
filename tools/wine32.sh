# 32-bit Wine for i686 programs (the release, the setup), emulated by qemu-i386: this
# kernel runs no 32-bit code. Sourced by wine-env.sh.

# WINE32: 32-bit Wine's loader under qemu-i386, for a program in a prefix that wine64 made
# with 32-bit Wine installed (its syswow64). The guest's address space ends where a 32-bit
# Windows program's does: qemu 7.2 ignores MAP_FIXED_NOREPLACE, and with its default of
# 4 GB every reservation that Wine misses lands above 2 GB, where Wine keeps it and then
# probes that half in 64 KB steps (minutes a start instead of a second: docs/TESTING.md).
WINE32=(env WINELOADERNOEXEC=1 QEMU_RESERVED_VA=0x7fff0000 qemu-i386 /usr/lib/wine/wine)

# wine32_loader DIR: a private copy of Wine's loader folder in DIR whose `wine` runs the
# 32-bit loader under qemu-i386, so that a 32-bit program can start another one (an NSIS
# uninstaller's copy of itself in %TEMP%, wineboot's helpers). Wine starts a child with
# the loader of its own argv[0]'s name from the folder of the running loader; ntdll.so and
# Wine's data are found from that folder too. Sets WINE32_LOADER.
wine32_loader() {
  local dir=$1/lib/wine
  WINE32_LOADER=$dir/wine
  [[ -x $WINE32_LOADER ]] && return 0
  # shellcheck disable=SC2016  # "$0" and "$@" in single quotes: the new script's own
  mkdir -p "$dir" &&
    ln -sfn /usr/lib/i386-linux-gnu "$1/lib/" &&
    ln -sfn /usr/share "$1/share" &&
    ln -sf /usr/lib/wine/wine64 /usr/lib/wine/wineserver* "$dir/" &&
    cp /usr/lib/wine/wine "$dir/wine-i386" &&
    printf '#!/bin/sh\nexec env %s -0 "$0" "$0-i386" "$@"\n' "${WINE32[*]:1:3}" >"$dir/wine" &&
    chmod +x "$dir/wine"
}
