#!/usr/bin/env bash
# Builds Kestrima (Release) and starts it with the given files; under Xvfb when there is no display.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/scripts/setup.sh"
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$here/build" --target kestrima -- --quiet
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting Kestrima under Xvfb."
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$here/build/app/kestrima" "$@"
fi
exec "$here/build/app/kestrima" "$@"
