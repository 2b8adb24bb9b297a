#!/usr/bin/env bash
# Builds Kestrima with its tests and runs the whole suite N times over, at twice the processors, to
# catch a test whose result depends on the moment it looks rather than on what the program did.
#
#   scripts/stress.sh [--asan] [N] [ctest options...]
#
# N defaults to 20; each test is repeated until it fails or has passed N times. The build is Release
# in build-stress/, or with --asan (or KESTRIMA_STRESS_ASAN=1) the AddressSanitizer build of test.sh
# in build-asan/. Options after N go to ctest, e.g. `-R DdeMacro` to repeat some tests only.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

asan=${KESTRIMA_STRESS_ASAN:-0}
if [ "${1:-}" = "--asan" ]; then
  asan=1
  shift
fi
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
echo "Running every test until it fails or has passed $repeat times, $((2 * $(nproc))) at a time ($build)."
ctest --output-on-failure --repeat "until-fail:$repeat" -j "$((2 * $(nproc)))" --timeout 600 "$@"
