#!/usr/bin/env bash
# Builds the model file loader's libFuzzer target with clang and runs it for
# a bounded time (cmake/fuzz.sh does the work).
#
#   host/fuzz/run_fuzz.sh [SECONDS] [WORK_DIR]
#
# The seeds are the bundled example models and the host's fixtures; an input
# that fails is kept as regressions/NNN.json.
set -euo pipefail
seconds=${1:-600}
work=${2:-/tmp/model_file_fuzz}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
exec "$root/cmake/fuzz.sh" model_file_fuzz "$seconds" "$work" "$here/regressions" json \
  "$root"/examples/*/*.json "$root"/host/tests/fixtures/*.json -- \
  -DXEQ_HOST_IMPLEMENTATION -I"$root/host/include" -I"$root/host/src/xeqed" \
  "$here/model_file_fuzz.cpp" \
  "$root"/host/src/kpllib/*.cpp "$root"/host/src/qovlib/*.cpp "$root"/host/src/xeqed/*.cpp
