#!/usr/bin/env bash
# Takes the screenshots in docs/ from the real windows (offscreen platform):
# scripts/screenshots.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
cmake --build "$build" -j 2 --target tavu_gui_screenshots
QT_QPA_PLATFORM=offscreen "$build/tests/gui/tavu_gui_screenshots" "$root/docs"
