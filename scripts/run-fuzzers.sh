#!/usr/bin/env bash
# Runs every fuzz target in DIR for SECONDS each, seeded from fuzz/corpus/<target>.
set -euo pipefail
dir=$1
seconds=$2
root=$(cd "$(dirname "$0")/.." && pwd)
failed=0
for target in "$dir"/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  work=$(mktemp -d)
  seeds=()
  [ -d "$root/fuzz/corpus/$name" ] && seeds=("$root/fuzz/corpus/$name")
  if "$target" -max_total_time="$seconds" -print_final_stats=0 -artifact_prefix="$work/" \
       "$work" "${seeds[@]}" >"$work/log" 2>&1; then
    echo "fuzz $name: ok ($seconds s)"
  else
    echo "fuzz $name: FAILED"; tail -n 40 "$work/log"; failed=1
    cp "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$dir"/ 2>/dev/null || true
  fi
  rm -rf "$work"
done
exit $failed
