#!/usr/bin/env bash
# check_install.sh BUILD_DIR CONSUMER_SOURCE_DIR CXX [SANITIZERS]
#
# Installs BUILD_DIR into a temporary prefix, then builds and runs the consumer program against
# the installed package twice: with CMake's find_package(Inkstead) and with pkg-config.
set -euo pipefail

build_dir=$1
consumer_dir=$2
cxx=$3
sanitize=${4:-}

work=$(mktemp -d "${TMPDIR:-/tmp}/inkstead-install-XXXXXX")
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

flags=()
if [ -n "$sanitize" ]; then
  flags=("-fsanitize=$sanitize")
fi

echo "== install into $prefix"
cmake --install "$build_dir" --prefix "$prefix" >/dev/null

echo "== find_package(Inkstead)"
cmake -S "$consumer_dir" -B "$work/cmake-build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_CXX_COMPILER="$cxx" \
  -DCMAKE_CXX_FLAGS="${flags[*]}" -DCMAKE_EXE_LINKER_FLAGS="${flags[*]}" >/dev/null
cmake --build "$work/cmake-build" >/dev/null
"$work/cmake-build/consumer"

echo "== pkg-config inkstead"
pc_dir=$(dirname "$(find "$prefix" -name inkstead.pc -print -quit)")
read -r -a pc_flags <<<"$(PKG_CONFIG_PATH=$pc_dir pkg-config --cflags --libs inkstead)"
"$cxx" "${flags[@]}" "$consumer_dir/main.cpp" -o "$work/pkg-consumer" "${pc_flags[@]}"
"$work/pkg-consumer"

ui_consumer_dir=$consumer_dir-ui
if [ -d "$ui_consumer_dir" ] && [ -n "$(find "$prefix" -name InksteadUiTargets.cmake -print -quit)" ]; then
  echo "== find_package(Inkstead COMPONENTS ui)"
  cmake -S "$ui_consumer_dir" -B "$work/cmake-build-ui" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_CXX_COMPILER="$cxx" \
    -DCMAKE_CXX_FLAGS="${flags[*]}" -DCMAKE_EXE_LINKER_FLAGS="${flags[*]}" >/dev/null
  cmake --build "$work/cmake-build-ui" >/dev/null
  "$work/cmake-build-ui/consumer-ui"

  echo "== pkg-config inkstead-ui"
  read -r -a pc_flags <<<"$(PKG_CONFIG_PATH=$pc_dir pkg-config --cflags --libs inkstead-ui)"
  "$cxx" "${flags[@]}" -fPIC "$ui_consumer_dir/main.cpp" -o "$work/pkg-consumer-ui" "${pc_flags[@]}"
  "$work/pkg-consumer-ui"
fi

# The package must not point back into the build or source tree.
if grep -rqs -e "$build_dir" "$prefix"/lib*/cmake "$pc_dir"; then
  echo "installed package refers to the build tree" >&2
  exit 1
fi
echo "== ok"
