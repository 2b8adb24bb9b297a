#!/usr/bin/env bash
# Builds Kestrima with its tests and runs the whole suite N times over, at twice the processors, to
# catch a test whose result depends on the moment it looks rather than on what the program did.
#
#   scripts/stress.sh [--asan] [--load] [N] [ctest options...]
#
# N defaults to 20; each test is repeated until it fails or has passed N times. The build is Release
# in build-stress/, or with --asan (or KESTRIMA_STRESS_ASAN=1) the AddressSanitizer build of test.sh
# in build-asan/. With --load (or KESTRIMA_STRESS_LOAD=1) a busy loop per processor runs beside the
# tests, as other work on the machine would, so that a test which looks at a guessed moment fails here
# rather than once in a hundred runs elsewhere; the loops end with the script, however it ends.
# Options after N go to ctest, e.g. `-R DdeMacro` to repeat some tests only.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

asan=${KESTRIMA_STRESS_ASAN:-0}
load=${KESTRIMA_STRESS_LOAD:-0}
while [ $# -gt 0 ]; do
  case $1 in
    --asan) asan=1 ;;
    --load) load=1 ;;
    *) break ;;
  esac
  shift
done
repeat=20
if [ $# -gt 0 ] && [[ $1 =~ ^[0-9]+$ ]]; then
  repeat=$1
  shift
fi
if [ "$repeat" -lt 1 ]; then
  echo "stress.sh: N must be at least 1" >&2
  exit 2
fi

"$here/scripts/setup.sh"
# The same environment as test.sh: Qt's offscreen platform and a runtime folder of this run.
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
export QT_QPA_PLATFORM=offscreen
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
if [ "$asan" = 1 ]; then
  build=$here/build-asan
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTRIMA_SANITIZE=ON "${launcher[@]}" >/dev/null
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export LSAN_OPTIONS=suppressions=$here/tests/lsan.supp:print_suppressions=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
else
  build=$here/build-stress
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRIMA_TESTS=ON "${launcher[@]}" >/dev/null
fi
cmake --build "$build" -- --quiet

cd "$build"
if [ "$load" = 1 ]; then
  # Each loop also watches this script, so that it ends even when the script is killed and the trap
  # never runs; it writes nowhere, so that a pipe reading this script's output is not held open.
  script=$$
  loaders=()
  stop_loaders() {
    local pid
    for pid in "${loaders[@]}"; do
      kill "$pid" 2>/dev/null || true
    done
    wait "${loaders[@]}" 2>/dev/null || true
  }
  trap stop_loaders EXIT
  trap 'exit 129' HUP
  trap 'exit 130' INT
  trap 'exit 143' TERM
  for ((n = 0; n < $(nproc); n++)); do
    (while kill -0 "$script" 2>/dev/null; do
      for ((i = 0; i < 100000; i++)); do :; done
    done) </dev/null >/dev/null 2>&1 &
    loaders+=($!)
  done
  echo "Loading the machine with ${#loaders[@]} busy loops."
fi
echo "Running every test until it fails or has passed $repeat times, $((2 * $(nproc))) at a time ($build)."
ctest --output-on-failure --repeat "until-fail:$repeat" -j "$((2 * $(nproc)))" --timeout 600 "$@"
