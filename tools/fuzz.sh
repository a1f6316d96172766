#!/usr/bin/env bash
# The long fuzzing run: each target for RUNS inputs (default 10 million) on top of its
# committed seed corpus. New inputs and any crash go to build/fuzz/findings/TARGET.
#   tools/fuzz.sh [RUNS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10000000}
shift || true
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=(command_line host_messages scene)

tools/bootstrap.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2 >/dev/null
failed=()
for target in "${targets[@]}"; do
  findings=build/fuzz/findings/$target
  mkdir -p "$findings"
  echo "== $target: $runs inputs"
  start=$(date +%s)
  status=0
  (cd "$findings" && "../../tests/fuzz/${target}_fuzz" -runs="$runs" -max_len=512 \
      -print_final_stats=1 . "../../../../tests/fuzz/corpus/$target") >"$findings.log" 2>&1 ||
    status=$?
  grep -E '^(stat::|Done)|ERROR|SUMMARY|Test unit written' "$findings.log" || true
  echo "   $(( $(date +%s) - start )) s, exit status $status (full output: $findings.log)"
  [[ $status -eq 0 ]] || failed+=("$target")
done
if [[ ${#failed[@]} -gt 0 ]]; then
  echo "FAILED: ${failed[*]}" >&2
  exit 1
fi
