#!/usr/bin/env bash
# Takes the screenshots in docs/ from the real windows (offscreen platform):
# scripts/screenshots.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
cmake --build "$build" -j 2 --target tavu_gui_screenshots
QT_QPA_PLATFORM=offscreen "$build/tests/gui/tavu_gui_screenshots" "$root/docs"

# The plot's pictures of the examples, as tavu-solve writes them.
cmake --build "$build" -j 2 --target tavu-solve
solve="$build/src/cli/tavu-solve"
"$solve" --plot "$root/docs/deformed-portal-frame.png" "$root/examples/portal-frame.tav" >/dev/null
"$solve" --plot "$root/docs/frame-moment.png" --view moment "$root/examples/portal-frame.tav" >/dev/null
"$solve" --plot "$root/docs/truss-deformed.png" "$root/examples/truss.tav" >/dev/null
"$solve" --plot "$root/docs/plate-with-hole-vonmises.png" --view vonmises \
    "$root/examples/plate-with-hole.tav" >/dev/null
