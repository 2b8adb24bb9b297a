#!/usr/bin/env bash
# Builds Kestrima with AddressSanitizer and UBSan and runs every test with CTest.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/scripts/setup.sh"
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
cmake -S "$here" -B "$here/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTRIMA_SANITIZE=ON >/dev/null
cmake --build "$here/build-asan" -- --quiet
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$here/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$here/build-asan"
ctest --output-on-failure -j "$(nproc)" --timeout 600
