#!/usr/bin/env bash
# fuzz.sh NAME SECONDS WORK_DIR REGRESSIONS_DIR SUFFIX [SEED...] -- CLANG_ARGUMENTS...
#   Builds WORK_DIR/NAME with clang++ (libFuzzer, AddressSanitizer and
#   UndefinedBehaviorSanitizer) from CLANG_ARGUMENTS (sources, flags,
#   libraries) when a source is newer than the binary, then runs it for
#   SECONDS on a corpus of the seeds and every kept regression input.
#   Every input that fails is kept as REGRESSIONS_DIR/NNN.SUFFIX (the next
#   number), which the normal test suite replays; the status is the
#   fuzzer's. FUZZ_OPTIONS adds libFuzzer options (a -dict=, say).
set -euo pipefail
name=$1 seconds=$2 work=$3 regressions=$4 suffix=$5
shift 5
seeds=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do seeds+=("$1"); shift; done
[ "${1:-}" = "--" ] && shift
build=("$@")
shopt -s nullglob
mkdir -p "$work/corpus" "$regressions"
for seed in "${seeds[@]}" "$regressions"/*."$suffix"; do cp "$seed" "$work/corpus/"; done

binary="$work/$name"
sources=()
for a in "${build[@]}"; do [ -f "$a" ] && sources+=("$a"); done
if [ ! -x "$binary" ] || [ -n "$(find "${sources[@]}" -newer "$binary" | head -1)" ]; then
  echo "building $binary ..."
  clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    "${build[@]}" -lpthread -o "$binary"
fi

cd "$work"
rm -f crash-* leak-* timeout-* oom-*
status=0
# shellcheck disable=SC2086
"$binary" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 -close_fd_mask=1 \
  -print_final_stats=1 ${FUZZ_OPTIONS:-} corpus || status=$?
for found in crash-* leak-* timeout-* oom-*; do
  last=$(ls "$regressions" | sed -n "s/^\([0-9]\{3\}\)\.$suffix\$/\1/p" | sort | tail -1)
  next=$(printf '%03d' $((10#${last:-0} + 1)))
  cp "$found" "$regressions/$next.$suffix"
  echo "kept $found as $regressions/$next.$suffix"
done
exit "$status"
