#!/bin/sh
# Installs the built tree into a staging prefix and uses it from outside:
# a C program built through pkg-config and one through find_package(GXR),
# the installed gxr tool, and the installed xeqhost finding its plug-in by
# name. Nothing may resolve into the build tree.
# usage: install_test.sh BUILD_DIR SOURCE_DIR LIBDIR GEOTRANS_DATA [CFLAGS]
set -eu
build=$1 source=$2 libdir=$3 geotrans_data=$4 cflags=${5:-}
stage=$build/install-test
prefix=$stage/usr
rm -rf "$stage"
mkdir -p "$stage/user-data"
unset XEQHOST_PLUGIN_PATH LD_LIBRARY_PATH || true
export USER_DATA="$stage/user-data" GXR_DATA_DIR="$geotrans_data"

fail() { echo "install test: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >"$stage/install.log" || fail "cmake --install failed"

for object in "$prefix"/bin/* "$prefix/$libdir"/libgxr.so.* $(find "$prefix/$libdir" -name '*.so'); do
  if readelf -d "$object" | grep -F "$build" >/dev/null; then
    fail "$object still names the build tree: $(readelf -d "$object" | grep -F "$build")"
  fi
done

expected="libgxr 4.1.1.0; geodesic 5985759.139 m; UTM 18 N 324396.629 4207702.367"
check_user() {
  got=$("$1") || fail "$1 failed"
  [ "$got" = "$expected" ] || fail "$1 printed '$got', expected '$expected'"
}

export PKG_CONFIG_PATH="$prefix/$libdir/pkgconfig"
gxr_libdir=$(pkg-config --variable=libdir gxr)
# shellcheck disable=SC2046,SC2086 # the flags are meant to split
cc -Wall -Wextra -Werror $cflags $(pkg-config --cflags gxr) "$source/packaging/tests/consumer/gxr_user.c" -o "$stage/user_pkgconfig" \
  $(pkg-config --libs gxr) -Wl,-rpath,"$gxr_libdir" || fail "building through pkg-config failed"
check_user "$stage/user_pkgconfig"

cmake -S "$source/packaging/tests/consumer" -B "$stage/consumer" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_C_FLAGS="$cflags" >"$stage/consumer.log" || fail "configuring through find_package failed"
cmake --build "$stage/consumer" >>"$stage/consumer.log" || fail "building through find_package failed"
check_user "$stage/consumer/gxr_user"

got=$("$prefix/bin/gxr" convert -t UT 38 -77) || fail "installed gxr failed"
[ "$got" = "18 N 324396.629 4207702.367" ] || fail "installed gxr printed '$got'"

cd "$source/examples/campus"
got=$("$prefix/bin/xeqhost" ipspace --plugin nbx --model campus.json --address 172.16.1.1) ||
  fail "installed xeqhost ipspace failed: $got"
echo "$got" | grep -q "1 entry for address 172.16.1.1" || fail "installed xeqhost printed: $got"
echo "installed into $prefix and used from outside"
