#!/usr/bin/env bash
# Builds the core tests with ThreadSanitizer into build-tsan/ and runs the
# tests of the code that works on several threads (suites named *Parallel*
# or *Threads*, and any further pattern given). A data race or any other
# report fails the script.
#
#   scripts/tsan.sh [EXTRA_GTEST_PATTERN]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

generator=()
if command -v ninja >/dev/null 2>&1; then
  generator=(-G Ninja)
fi
# Warnings are the regular build's business; this build only hunts races.
CI= cmake -S . -B build-tsan "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLARKSPAN_GUI=OFF \
  -DLARKSPAN_SANITIZE=thread >/dev/null
CI= cmake --build build-tsan -j "$(nproc 2>/dev/null || echo 2)" --target core_tests

filter='*Parallel*:*Threads*'
if [ $# -gt 0 ]; then
  filter="$filter:$1"
fi
TSAN_OPTIONS="halt_on_error=1 exitcode=66 ${TSAN_OPTIONS:-}" build-tsan/bin/core_tests --gtest_filter="$filter"
