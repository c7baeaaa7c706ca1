#!/usr/bin/env bash
# ilds round trips: every packing variant extracts to the same tree byte for
# byte, list names every file, and verify catches a flipped byte.
# usage: roundtrip_test.sh WORK_FOLDER ILDS [RUNNER]   (RUNNER: the Wine wrapper)
set -euo pipefail
work=$1 ilds=$2 runner=${3:-}
rm -rf "$work" && mkdir -p "$work" && cd "$work"
# Relative paths, so that the same commands work for ilds.exe under Wine.
run() { if [ -n "$runner" ]; then "$runner" "$ilds" "$@"; else "$ilds" "$@"; fi; }
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir -p tree/sub/deeper
printf 'abc' > tree/a.txt
: > tree/empty.bin
head -c 300000 /dev/urandom > tree/sub/random.bin
yes "a line of text" | head -c 2000000 > tree/sub/deeper/text.txt || true
printf 'x' > "tree/sub/name with spaces.txt"

for variant in "" "--stored" "--format-version 0" "--format-version 1" "--stored --format-version 0"; do
  rm -rf out
  # shellcheck disable=SC2086
  run pack $variant a.dat tree || fail "pack $variant"
  run verify a.dat || fail "verify $variant"
  run extract a.dat out || fail "extract $variant"
  diff -r tree out || fail "tree differs after $variant"
done

run list a.dat | tr -d '\r' > list.txt
grep -qx "$(printf 'sub\\\\deeper\\\\text.txt\t2000000')" list.txt || fail "list: $(cat list.txt)"
[ "$(wc -l < list.txt)" -eq 5 ] || fail "list has $(wc -l < list.txt) lines"

# Overwrite rules: an existing file in the keep list stays.
printf 'mine' > out/a.txt
run extract a.dat out --no-overwrite --keep ';A.TXT;' || fail "extract --no-overwrite"
[ "$(cat out/a.txt)" = mine ] || fail "kept file was replaced"

# A flipped byte inside a compressed entry: verify and extract say so.
run pack a.dat tree || fail "pack"
offset=$(( $(stat -c %s a.dat) / 2 ))
byte=$(od -An -tu1 -j "$offset" -N1 a.dat | tr -d ' ')
printf "$(printf '\\%03o' $(( byte ^ 0xFF )))" | dd of=a.dat bs=1 seek="$offset" conv=notrunc status=none
if run verify a.dat 2> verify.txt; then fail "verify missed the flipped byte"; fi
grep -q "damaged" verify.txt || fail "verify named no problem: $(cat verify.txt)"
rm -rf out
set +e; run extract a.dat out 2>/dev/null; status=$?; set -e
[ "$status" -eq 1 ] || fail "extract of a damaged archive gave $status"
set +e; run extract a.dat 2>/dev/null; status=$?; set -e
[ "$status" -eq 2 ] || fail "usage error gave $status"
echo "ilds round trips passed"
