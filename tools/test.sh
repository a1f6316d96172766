#!/usr/bin/env bash
# Runs every test: installs what is missing, reads the scripts with shellcheck (.shellcheckrc),
# builds the four presets, then runs the native unit tests, the fuzzers over a bounded number
# of inputs, the checks of the i686 release (imports, resources, its test under 32-bit Wine
# emulated by qemu) and those of the x86_64 build with the Wine end-to-end suite, the setup's
# tests and the benchmark's smoke run.
# docs/TESTING.md says what each holds.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/bootstrap.sh --wine32
status=0
shellcheck tools/*.sh tests/wine/*.sh bench/*/*.sh || status=1

for preset in native fuzz win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j2 >/dev/null
done

ctest --preset native || status=1
ctest --preset fuzz || status=1
ctest --preset win32 || status=1
ctest --preset win64 || status=1
exit $status
