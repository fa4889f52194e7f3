#!/usr/bin/env bash
# Saves a PNG picture of every desktop window into build/shots/ (offscreen;
# no display needed). Builds the desktop tests first.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DLARKSPAN_GUI=ON >/dev/null
cmake --build build -j "$(nproc 2>/dev/null || echo 2)" --target desktop_tests
mkdir -p build/shots
LARKSPAN_SHOTS_DIR="$PWD/build/shots" QT_QPA_PLATFORM=offscreen \
  build/bin/desktop_tests --gtest_filter='*Screenshots.*'
echo "Pictures in build/shots:"
ls build/shots
