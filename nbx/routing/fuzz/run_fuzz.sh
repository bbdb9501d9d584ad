#!/usr/bin/env bash
# Builds the reader's libFuzzer target with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and runs it for a bounded time.
#
#   nbx/routing/fuzz/run_fuzz.sh [SECONDS] [WORK_DIR]
#
# SECONDS defaults to 600; WORK_DIR (default /tmp/ra_xml_fuzz) keeps the
# binary, the growing corpus and any crashing input ("crash-*"). The seed
# corpus is the golden snapshot, the bundled example and every regression
# input. An input that fails is kept as regressions/NNN.atv.xml (the next
# number), which the normal suite replays; the status is the fuzzer's.
set -euo pipefail
seconds=${1:-600}
work=${2:-/tmp/ra_xml_fuzz}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
mkdir -p "$work/corpus"
shopt -s nullglob
cp "$root/nbx/routing/tests/golden/snapshot.atv.xml" "$root/examples/campus/campus.atv.xml" \
  "$here"/regressions/*.atv.xml "$work/corpus/"

sources=(
  "$here/ra_xml_fuzz.cpp"
  "$root"/nbx/xml/nbx_xml.cpp
  "$root"/nbx/routing/ra_net_data.cpp "$root"/nbx/routing/ra_xml_parser.cpp
  "$root"/nbx/reach/ra_bt_tree.cpp
  "$root"/nbx/ipspace/pool.cpp "$root"/nbx/ipspace/bt_tree.cpp
  "$root"/host/src/kpllib/*.cpp "$root"/host/src/qovlib/*.cpp "$root"/host/src/xeqed/*.cpp
)
if [ ! -x "$work/ra_xml_fuzz" ] || [ -n "$(find "${sources[@]}" -newer "$work/ra_xml_fuzz" | head -1)" ]; then
  echo "building $work/ra_xml_fuzz ..."
  # One compile of plug-in and host sources together: the host's own view of
  # xeqed.h (its untyped C forms) is harmless to the plug-in's typed calls.
  clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -DXEQ_HOST_IMPLEMENTATION \
    -I"$root/nbx" -I"$root/host/include" -I"$root/host/src/xeqed" $(pkg-config --cflags libxml-2.0) \
    "${sources[@]}" $(pkg-config --libs libxml-2.0) -lpthread -o "$work/ra_xml_fuzz"
fi
cd "$work"
rm -f crash-* leak-* timeout-* oom-*
status=0
./ra_xml_fuzz -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 -close_fd_mask=1 \
  -dict="$here/atv.dict" -print_final_stats=1 corpus || status=$?
# Every input that failed becomes the next numbered regression input, which
# the reader's unit tests replay (commit it with the fix).
regressions="$here/regressions"
for found in crash-* leak-* timeout-* oom-*; do
  [ -e "$found" ] || continue
  last=$(ls "$regressions" | sed -n 's/^\([0-9]\{3\}\)\.atv\.xml$/\1/p' | sort | tail -1)
  next=$(printf '%03d' $((10#${last:-0} + 1)))
  cp "$found" "$regressions/$next.atv.xml"
  echo "kept $found as $regressions/$next.atv.xml"
done
exit "$status"
