#!/usr/bin/env bash
# check_install.sh BUILD_DIR CONSUMER_SOURCE_DIR LIBRARY_EXAMPLE CXX [SANITIZERS]
#
# Installs BUILD_DIR into a temporary prefix and checks what a host gets: one library with its
# soname, public headers only, a pkg-config file without compiler flags. Then builds the consumer
# program and the library guide's example against the installed package, with CMake's
# find_package(Inkstead) and with pkg-config, and runs them: the consumer writes a photo, the
# example stamps it.
set -euo pipefail

build_dir=$1
consumer_dir=$2
example=$3
cxx=$4
sanitize=${5:-}

work=$(mktemp -d "${TMPDIR:-/tmp}/inkstead-install-XXXXXX")
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

fail() {
  echo "install check: $*" >&2
  exit 1
}

flags=()
if [ -n "$sanitize" ]; then
  flags=("-fsanitize=$sanitize")
fi

echo "== install into $prefix"
cmake --install "$build_dir" --prefix "$prefix" >/dev/null

pc_file=$(find "$prefix" -name inkstead.pc -print -quit)
[ -n "$pc_file" ] || fail "no inkstead.pc"
pc_dir=$(dirname "$pc_file")
lib_dir=$(dirname "$pc_dir")
version=$(PKG_CONFIG_PATH=$pc_dir pkg-config --modversion inkstead)

echo "== one library, libinkstead $version"
# The Qt library, libinkstead-ui, is the package's ui component, checked on its own below.
libraries=$(cd "$lib_dir" && find . -maxdepth 1 \( -name '*.so*' -o -name '*.a' \) ! -name 'libinkstead-ui*' |
  sort | tr '\n' ' ')
pc_static=()
if [ -e "$lib_dir/libinkstead.so" ]; then
  soname=libinkstead.so.$(echo "$version" | cut -d. -f1-2)
  [ "$libraries" = "./libinkstead.so ./$soname ./libinkstead.so.$version " ] ||
    fail "unexpected libraries: $libraries"
  readelf -d "$lib_dir/libinkstead.so" | grep -q "Library soname: \[$soname\]" ||
    fail "libinkstead.so has no soname $soname"
else
  [ "$libraries" = "./libinkstead.a " ] || fail "unexpected libraries: $libraries"
  pc_static=(--static)
fi

echo "== public headers only"
private=$(find "$prefix/include" -name '*_p.h')
[ -z "$private" ] || fail "private headers installed: $private"
[ -z "$(find "$prefix/include" -mindepth 1 -maxdepth 1 ! -name inkstead)" ] ||
  fail "something besides inkstead/ in include/"
# Headers find each other below the one root, as hosts find them: "inkstead/<folder>/<Header>.h".
generic=$(grep -rhE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$prefix/include" |
  grep -vE '"inkstead/[^"]+"' || true)
[ -z "$generic" ] || fail "headers include paths outside inkstead/: $generic"
# The platform libraries stay behind the library: no host compiles against their headers.
backend=$(grep -rlE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<(cairo|pango|vips|exiv2|glib)' \
  "$prefix/include" || true)
[ -z "$backend" ] || fail "headers include a platform library: $backend"

# For a static library pkg-config also gives the platform libraries' flags.
if [ ${#pc_static[@]} -eq 0 ]; then
  echo "== pkg-config file"
  cflags=$(PKG_CONFIG_PATH=$pc_dir pkg-config --cflags inkstead)
  include_dir=$(realpath "$prefix/include")
  for flag in $cflags; do
    case $flag in
    -I*)
      dir=$(realpath -m "${flag#-I}")
      [ "$dir" = "$include_dir" ] || fail "include folder $dir in inkstead.pc"
      ;;
    *) fail "compiler flag $flag in inkstead.pc" ;;
    esac
  done
fi

photo=$work/photo.jpg
stamped=$work/stamped.jpg

echo "== find_package(Inkstead)"
cmake -S "$consumer_dir" -B "$work/cmake-build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_CXX_COMPILER="$cxx" -DLIBRARY_EXAMPLE="$example" \
  -DCMAKE_CXX_FLAGS="${flags[*]}" -DCMAKE_EXE_LINKER_FLAGS="${flags[*]}" >/dev/null
cmake --build "$work/cmake-build" >/dev/null
"$work/cmake-build/consumer" "$photo"
"$work/cmake-build/library-example" "$photo" "$stamped"
[ -s "$stamped" ] || fail "the example wrote nothing"

echo "== pkg-config inkstead"
rm -f "$photo" "$stamped"
read -r -a pc_flags <<<"$(PKG_CONFIG_PATH=$pc_dir pkg-config "${pc_static[@]}" --cflags --libs inkstead)"
rpath=(-Wl,-rpath,"$lib_dir")
"$cxx" -std=c++20 "${flags[@]}" "$consumer_dir/main.cpp" -o "$work/pkg-consumer" "${pc_flags[@]}" \
  "${rpath[@]}"
"$cxx" -std=c++20 "${flags[@]}" "$example" -o "$work/pkg-example" "${pc_flags[@]}" "${rpath[@]}"
"$work/pkg-consumer" "$photo"
"$work/pkg-example" "$photo" "$stamped"
[ -s "$stamped" ] || fail "the example wrote nothing"

ui_consumer_dir=$consumer_dir-ui
if [ -d "$ui_consumer_dir" ] && [ -n "$(find "$prefix" -name InksteadUiTargets.cmake -print -quit)" ]; then
  if [ -e "$lib_dir/libinkstead.so" ]; then
    readelf -d "$lib_dir/libinkstead-ui.so" | grep -q "Library soname: \[libinkstead-ui.so.$(echo "$version" | cut -d. -f1-2)\]" ||
      fail "libinkstead-ui.so has no soname"
  fi

  echo "== find_package(Inkstead COMPONENTS ui)"
  cmake -S "$ui_consumer_dir" -B "$work/cmake-build-ui" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_CXX_COMPILER="$cxx" \
    -DCMAKE_CXX_FLAGS="${flags[*]}" -DCMAKE_EXE_LINKER_FLAGS="${flags[*]}" >/dev/null
  cmake --build "$work/cmake-build-ui" >/dev/null
  "$work/cmake-build-ui/consumer-ui"

  echo "== pkg-config inkstead-ui"
  read -r -a pc_flags <<<"$(PKG_CONFIG_PATH=$pc_dir pkg-config "${pc_static[@]}" --cflags --libs inkstead-ui)"
  # Qt asks its hosts for position-independent code.
  "$cxx" -std=c++20 -fPIC "${flags[@]}" "$ui_consumer_dir/main.cpp" -o "$work/pkg-consumer-ui" \
    "${pc_flags[@]}" "${rpath[@]}"
  "$work/pkg-consumer-ui"
fi

# The package must not point back into the build or source tree.
if grep -rqs -e "$build_dir" "$prefix"/lib*/cmake "$pc_dir"; then
  fail "installed package refers to the build tree"
fi
echo "== ok"
