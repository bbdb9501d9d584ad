#!/usr/bin/env bash
# check_plugin.sh PLUGIN HOST_LIBS EXPORTS
#   HOST_LIBS: comma-separated host libraries the plug-in must need, no more
#   EXPORTS:   comma-separated names it must export with C linkage
# System and C++ run-time libraries are not counted as host libraries.
set -euo pipefail
plugin=$1
IFS=, read -r -a want_host <<<"$2"
IFS=, read -r -a want_exports <<<"$3"
host_libs="xeqed vyqlib kpllib qovlib ygalib hespr"

case "$(basename "$plugin")" in
  *.i0.xeq.so) ;;
  *) echo "plug-in file name must end in .i0.xeq.so: $plugin"; exit 1 ;;
esac

needed=$(readelf -d "$plugin" | sed -n 's/.*(NEEDED).*\[lib\(.*\)\.so.*\]/\1/p' | sort)
got=()
for lib in $needed; do
  for h in $host_libs; do [ "$lib" = "$h" ] && got+=("$lib"); done
done
want=$(printf '%s\n' "${want_host[@]}" | sort | tr '\n' ' ')
have=$(printf '%s\n' "${got[@]}" | sort | tr '\n' ' ')
if [ "$want" != "$have" ]; then
  echo "host libraries: expected [$want], found [$have]"; exit 1
fi

exports=$(nm -D --defined-only "$plugin" | awk '$2 ~ /[TDBR]/ {print $3}')
mangled=$(grep '^_Z' <<<"$exports" || true)
if [ -n "$mangled" ]; then
  echo "mangled exports:"; echo "$mangled"; exit 1
fi
# The stand-in host's own control surface (Xeq_Host_*, the xeq::ui model)
# is for the host's faces and tests; the editor offers plug-ins nothing of it.
host_only=$(nm -D --undefined-only "$plugin" | awk '{print $2}' | grep -E '^(Xeq_Host_|_ZN3xeq2ui)' || true)
if [ -n "$host_only" ]; then
  echo "imports the stand-in host's own calls:"; echo "$host_only"; exit 1
fi
for e in "${want_exports[@]}"; do
  grep -qx "$e" <<<"$exports" || { echo "missing export: $e"; exit 1; }
done
echo "ok: host libraries [$have], ${#want_exports[@]} export(s)"
