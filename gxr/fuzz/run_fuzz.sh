#!/usr/bin/env bash
# Builds the coordinate texts' libFuzzer target with clang, over the built
# libgxr, and runs it for a bounded time (cmake/fuzz.sh does the work).
#
#   gxr/fuzz/run_fuzz.sh SECONDS WORK_DIR LIBGXR
#
# The seeds are seeds/*; an input that fails is kept as regressions/NNN.txt.
set -euo pipefail
seconds=$1 work=$2 library=$3
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
exec "$root/cmake/fuzz.sh" coord_text_fuzz "$seconds" "$work" "$here/regressions" txt "$here"/seeds/* -- \
  -I"$root/gxr/include" -I"$root/gxr/tools" \
  "$here/coord_text_fuzz.cpp" "$root/gxr/tools/angle_text.cpp" \
  "$library" -Wl,-rpath,"$(dirname "$library")"
