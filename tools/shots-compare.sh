#!/usr/bin/env bash
# Compares two folders of screenshots pixel by pixel (ImageMagick's
# `compare -metric AE`): one line per PNG of BEFORE, `same`, `differs N` (N
# pixels differ; a picture of the differences goes to DIFFS/NAME) or
# `missing`. Exits 1 when any picture differs or is missing.
#   tools/shots-compare.sh BEFORE AFTER [DIFFS]    (DIFFS default: AFTER/diff)
set -uo pipefail
before=${1:?usage: shots-compare.sh BEFORE AFTER [DIFFS]}
after=${2:?usage: shots-compare.sh BEFORE AFTER [DIFFS]}
diffs=${3:-$after/diff}
status=0
for old in "$before"/*.png; do
  name=$(basename "$old")
  new="$after/$name"
  if [ ! -f "$new" ]; then
    echo "missing $name"; status=1; continue
  fi
  # AE counts the differing pixels; compare writes it to standard error.
  count=$(compare -metric AE "$old" "$new" null: 2>&1 >/dev/null)
  if [ "$count" = 0 ]; then
    echo "same $name"
  else
    mkdir -p "$diffs"
    compare "$old" "$new" -compose src "$diffs/$name" 2>/dev/null
    echo "differs $count $name"; status=1
  fi
done
exit $status
