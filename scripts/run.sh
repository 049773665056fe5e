#!/usr/bin/env bash
# Sets up the machine, builds TAVU and runs it: the desktop program on the example model
# when a display exists, otherwise tavu-solve on the same model.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=Release
example="$root/examples/portal-frame.tav"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/src/app/tavu ]; then
    exec build/src/app/tavu "$example"
fi
exec build/src/cli/tavu-solve "$example"
