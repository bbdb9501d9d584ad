#!/usr/bin/env bash
# Builds the reader's libFuzzer target with clang and runs it for a bounded
# time (cmake/fuzz.sh does the work).
#
#   nbx/routing/fuzz/run_fuzz.sh [SECONDS] [WORK_DIR]
#
# SECONDS defaults to 600; WORK_DIR (default /tmp/ra_xml_fuzz) keeps the
# binary and the growing corpus. The seeds are the golden snapshot and the
# bundled example; an input that fails is kept as regressions/NNN.atv.xml.
set -euo pipefail
seconds=${1:-600}
work=${2:-/tmp/ra_xml_fuzz}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
# One compile of plug-in and host sources together: the host's own view of
# xeqed.h (its untyped C forms) is harmless to the plug-in's typed calls.
FUZZ_OPTIONS="-dict=$here/atv.dict" exec "$root/cmake/fuzz.sh" ra_xml_fuzz "$seconds" "$work" \
  "$here/regressions" atv.xml \
  "$root/nbx/routing/tests/golden/snapshot.atv.xml" "$root/examples/campus/campus.atv.xml" -- \
  -DXEQ_HOST_IMPLEMENTATION -I"$root/nbx" -I"$root/host/include" -I"$root/host/src/xeqed" \
  $(pkg-config --cflags libxml-2.0) \
  "$here/ra_xml_fuzz.cpp" \
  "$root"/nbx/xml/nbx_xml.cpp \
  "$root"/nbx/routing/ra_net_data.cpp "$root"/nbx/routing/ra_xml_parser.cpp \
  "$root"/nbx/reach/ra_bt_tree.cpp \
  "$root"/nbx/ipspace/pool.cpp "$root"/nbx/ipspace/bt_tree.cpp \
  "$root"/host/src/kpllib/*.cpp "$root"/host/src/qovlib/*.cpp "$root"/host/src/xeqed/*.cpp \
  $(pkg-config --libs libxml-2.0)
