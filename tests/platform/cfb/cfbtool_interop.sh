#!/usr/bin/env bash
# cfbtool against libgsf's gsf tool: files cfbtool creates are listed and read
# by gsf, files gsf creates are listed and read by cfbtool. Exit 77 = skipped.
set -euo pipefail
cfbtool="$1"
if ! command -v gsf >/dev/null 2>&1; then
  echo "gsf (libgsf-bin) not installed: skipped"
  exit 77
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir "$work/in"
for n in 0 1 63 64 4095 4096 4097 100000; do
  head -c "$n" /dev/urandom > "$work/in/s$n"
done
printf 'hlavicka' > "$work/in/hlavicka"

# ours -> gsf
"$cfbtool" create "$work/ours.cfb" "$work/in"
"$cfbtool" check "$work/ours.cfb" >/dev/null
gsf list "$work/ours.cfb" > "$work/gsf-list.txt"
for f in "$work"/in/*; do
  n="$(basename "$f")"
  grep -q " $n\$" "$work/gsf-list.txt" || { echo "gsf does not list $n"; exit 1; }
  gsf cat "$work/ours.cfb" "$n" > "$work/out"
  cmp "$f" "$work/out" || { echo "gsf reads $n differently"; exit 1; }
done

# gsf -> ours
(cd "$work/in" && gsf createole "$work/theirs.cfb" ./* >/dev/null)
"$cfbtool" list "$work/theirs.cfb" > "$work/our-list.txt"
for f in "$work"/in/*; do
  n="$(basename "$f")"
  grep -q " $n\$" "$work/our-list.txt" || { echo "cfbtool does not list $n"; cat "$work/our-list.txt"; exit 1; }
  "$cfbtool" cat "$work/theirs.cfb" "$n" > "$work/out"
  cmp "$f" "$work/out" || { echo "cfbtool reads $n differently"; exit 1; }
done
echo "cfbtool and gsf agree"
