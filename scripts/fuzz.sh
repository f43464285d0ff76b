#!/usr/bin/env bash
# Builds the libFuzzer programs with clang (into build-fuzz/) and runs them one after another.
# Usage: scripts/fuzz.sh [TARGET|all] [SECONDS]
#   TARGET: archive, preset_json, filename_pattern, image_source (default: all)
#   SECONDS: time per target (default 60)
# Each target keeps its growing corpus in build-fuzz/corpus/TARGET (started from seeds the code
# generates) and writes crashing inputs to build-fuzz/artifacts/TARGET/. Runs at low priority.
# Extra libFuzzer options can be given in FUZZ_ARGS.
set -euo pipefail
cd "$(dirname "$0")/.."

target=${1:-all}
seconds=${2:-60}
build_dir=${INKSTEAD_FUZZ_BUILD_DIR:-build-fuzz}
all_targets=(archive preset_json filename_pattern image_source)
if [ "$target" = all ]; then
  targets=("${all_targets[@]}")
else
  targets=("$target")
fi

# clang and its fuzzing runtime are needed here only, so they are not part of scripts/setup.sh.
scripts/setup.sh
if ! command -v clang++-16 >/dev/null || ! dpkg-query -W -f='${Status}' libclang-rt-16-dev 2>/dev/null |
  grep -q "install ok installed"; then
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
    clang-16 libclang-rt-16-dev
fi

nice -n 10 cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-16 -DCMAKE_CXX_COMPILER=clang++-16 \
  -DINKSTEAD_FUZZ=ON -DINKSTEAD_SANITIZE=address,undefined -DINKSTEAD_BUILD_TESTS=OFF \
  -DINKSTEAD_BUILD_UI=OFF >/dev/null
nice -n 10 cmake --build "$build_dir" --parallel "${INKSTEAD_JOBS:-$(nproc)}" \
  --target inkstead_fuzz_seeds "${targets[@]/#/fuzz_}"

export INKSTEAD_FUZZ_HOME=$PWD/$build_dir/home
export ASAN_OPTIONS=detect_leaks=1
export LSAN_OPTIONS=suppressions=$PWD/tests/sanitizers/lsan.supp:print_suppressions=0
# Reports name functions and lines when a symbolizer is installed (any version reads them).
if symbolizer=$(command -v llvm-symbolizer-16 || command -v llvm-symbolizer); then
  export ASAN_SYMBOLIZER_PATH=$symbolizer
fi
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
for t in "${targets[@]}"; do
  corpus=$build_dir/corpus/$t
  artifacts=$build_dir/artifacts/$t
  mkdir -p "$corpus" "$artifacts"
  "$build_dir/fuzz/inkstead_fuzz_seeds" "$t" "$build_dir/seeds/$t"
  echo "fuzz: $t for ${seconds}s" >&2
  # shellcheck disable=SC2086
  nice -n 10 "$build_dir/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=3072 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" ${FUZZ_ARGS:-} \
    "$corpus" "$build_dir/seeds/$t" || status=$?
done
exit $status
