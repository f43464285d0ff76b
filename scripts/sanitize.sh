#!/usr/bin/env bash
# Builds Inkstead with a sanitizer into its own build folder and runs the test suite under it.
# Usage: scripts/sanitize.sh asan|tsan [--threads | --only LIST] [extra ctest arguments...]
#   asan: AddressSanitizer with LeakSanitizer and UndefinedBehaviorSanitizer (build-asan/)
#   tsan: ThreadSanitizer (build-tsan/)
#   --threads: build and run only the test executables whose code runs on several threads
#     (dispatch queues and timers, notifications, concurrent file writes, the preset manager's
#     writer and save timers, batch export, the model's loaders, and the command-line tool's
#     exports); the rest of the suite is single-threaded and gains nothing under tsan.
#   --only LIST: the same for the test folders LIST names, comma-separated as the labels read
#     ("presets,platform_archive").
#     Without either the whole suite is built and run.
# Suppressions for system libraries live in tests/sanitizers/; the test registration passes them
# to every test. The build and the tests run at a lower priority, since they take long.
set -euo pipefail
cd "$(dirname "$0")/.."

kind=${1:-}
case "$kind" in
  asan) sanitize=address,undefined ;;
  tsan) sanitize=thread ;;
  *)
    echo "usage: $0 asan|tsan [--threads | --only LIST] [ctest arguments...]" >&2
    exit 2
    ;;
esac
shift
subset=()
case "${1:-}" in
  --threads)
    subset=(platform_dispatch platform_notify platform_files presets export model cli)
    shift
    ;;
  --only) IFS=, read -ra subset <<<"$2"; shift 2 ;;
esac
targets=()
ctest_filter=()
if ((${#subset[@]})); then
  targets=(inkstead)
  for t in "${subset[@]}"; do targets+=("test_$t"); done
  ctest_filter=(-L "^($(IFS='|'; echo "${subset[*]}"))\$")
fi
build_dir=${INKSTEAD_BUILD_DIR:-build-$kind}
jobs=${INKSTEAD_JOBS:-$(nproc)}

scripts/setup.sh
# -O1 with line tables: quick to build, fast enough to run, readable reports.
nice -n 10 cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1" \
  -DINKSTEAD_SANITIZE="$sanitize" >/dev/null
nice -n 10 cmake --build "$build_dir" --parallel "$jobs" ${targets[@]+--target "${targets[@]}"}

# Undefined behaviour only prints by default: make it fail the test. Leak and race suppressions
# come from the test registration. Strict string checks stay off: they flag a valid strndup()
# of a shorter string, which the X keyboard library makes when the desktop app starts.
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export ASAN_OPTIONS=detect_stack_use_after_return=1
nice -n 10 ctest --test-dir "$build_dir" --output-on-failure --parallel "$jobs" \
  ${ctest_filter[@]+"${ctest_filter[@]}"} "$@"
