#!/usr/bin/env bash
# Archive extraction benchmark: the native reader against tar and unzip on the
# same payload of about 500 MB, in one run on this machine.
# usage: bench/archive/run.sh ILDS [RUNS]     (or: cmake --build --preset native --target bench_archive)
set -euo pipefail
ilds=$(realpath "${1:?usage: run.sh ILDS [RUNS]}")
runs=${2:-3}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/tovex-bench-archive.XXXXXX")
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"

echo "payload and archives in $work (deleted at the end)"
python3 "$here/make_payload.py" payload
bytes=$(du -sb payload | cut -f1)
files=$(find payload -type f | wc -l)
printf 'payload: %d files, %.1f MB\n' "$files" "$(echo "$bytes / 1000000" | bc -l)"
"$ilds" pack --stored stored.dat payload
"$ilds" pack compressed.dat payload
tar -cf payload.tar payload
tar -czf payload.tar.gz payload
zip -qr payload.zip payload
ls -l stored.dat compressed.dat payload.tar payload.tar.gz payload.zip | awk '{printf "  %-16s %6.1f MB\n", $9, $5 / 1e6}'

# Each tool runs once per round, rounds interleaved, so that the load of a
# shared machine falls on all of them alike; kept per tool: the best wall time
# with its cpu time (user + sys, children included) and the largest peak RSS.
# The destination is a real folder, emptied and synced before every run.
tools=(ilds_stored tar ilds_compressed tar_gz unzip inflate_only)
declare -A label=(
  [ilds_stored]="ilds extract (stored)" [tar]="tar -xf"
  [ilds_compressed]="ilds extract (compressed)" [tar_gz]="tar -xzf"
  [unzip]="unzip" [inflate_only]="inflate only (ilds verify)")
declare -A wall cpu rss
command_of() {
  case $1 in
    ilds_stored) echo "$ilds extract stored.dat out" ;;
    tar) echo "tar -xf payload.tar -C out" ;;
    ilds_compressed) echo "$ilds extract compressed.dat out" ;;
    tar_gz) echo "tar -xzf payload.tar.gz -C out" ;;
    unzip) echo "unzip -q payload.zip -d out" ;;
    inflate_only) echo "$ilds verify compressed.dat" ;;
  esac
}
for round in $(seq "$runs"); do
  for tool in "${tools[@]}"; do
    rm -rf out && mkdir out && sync
    # shellcheck disable=SC2046
    /usr/bin/time -f "%e %M %U %S" -o time.txt $(command_of "$tool") >/dev/null
    read -r t m u s < time.txt
    if [ -z "${wall[$tool]:-}" ] || [ "$(echo "$t < ${wall[$tool]}" | bc -l)" = 1 ]; then
      wall[$tool]=$t
      cpu[$tool]=$(echo "$u + $s" | bc -l)
    fi
    if [ "$m" -gt "${rss[$tool]:-0}" ]; then rss[$tool]=$m; fi
  done
done

echo "extraction of $files files, $runs interleaved rounds (load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)):"
printf '  %-28s %8s %9s %9s %10s\n' "" "wall s" "MB/s" "cpu s" "peak RSS"
for tool in "${tools[@]}"; do
  printf '  %-28s %8.2f %9.1f %9.2f %6.1f MiB\n' "${label[$tool]}" "${wall[$tool]}" \
    "$(echo "$bytes / 1000000 / ${wall[$tool]}" | bc -l)" "${cpu[$tool]}" "$(echo "${rss[$tool]} / 1024" | bc -l)"
done

ratio() { echo "$1 / $2" | bc -l | xargs printf '%.2f'; }
both() { echo "wall $(ratio "${wall[$1]}" "${wall[$2]}")  cpu $(ratio "${cpu[$1]}" "${cpu[$2]}")"; }
echo "ratios (how many times faster):"
echo "  compressed vs tar -xzf      $(both tar_gz ilds_compressed)   target >= 1.5"
echo "  compressed vs inflate only  $(both inflate_only ilds_compressed)   target >= 0.5"
echo "  stored vs tar -xf           $(both tar ilds_stored)   target >= 1.2"
echo "  compressed vs unzip         $(both unzip ilds_compressed)"
# A last check that the extracted tree is the payload.
rm -rf out && "$ilds" extract compressed.dat out && diff -r payload out && echo "extracted tree matches the payload"
