#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each one
# for SECONDS (default 30). A crash, a sanitizer report, a leak, a timeout or
# an out-of-memory run fails the script; the input that did it is kept in
# build-fuzz/artifacts/. Inputs that found new paths accumulate in
# build-fuzz/corpus/<target>/ and are reused by the next run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
scripts/install-deps.sh

generator=()
if command -v ninja >/dev/null 2>&1; then
  generator=(-G Ninja)
fi
# Warnings are the regular build's business (CI builds it with -Werror under
# GCC); this build only hunts faults, so clang's extra warnings do not stop it.
if [ ! -f build-fuzz/CMakeCache.txt ]; then
  CI= CC=clang CXX=clang++ cmake -S . -B build-fuzz "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DLARKSPAN_GUI=OFF -DLARKSPAN_TESTS=OFF -DLARKSPAN_FUZZ=ON >/dev/null
else
  CI= cmake -S . -B build-fuzz >/dev/null
fi
mapfile -t targets < <(grep -v '^$' build-fuzz/fuzz-targets.txt)
CI= cmake --build build-fuzz -j "$(nproc 2>/dev/null || echo 2)" --target "${targets[@]}"

mkdir -p build-fuzz/artifacts
status=0
for target in "${targets[@]}"; do
  corpus=build-fuzz/corpus/$target
  mkdir -p "$corpus"
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
           -artifact_prefix="build-fuzz/artifacts/$target-")
  if [ -f "fuzz/$target.dict" ]; then
    options+=(-dict="fuzz/$target.dict")
  fi
  seeds=()
  if [ -d "fuzz/corpus/$target" ]; then
    seeds=("fuzz/corpus/$target")
  fi
  echo "== $target: ${seconds}s"
  if ! "build-fuzz/bin/$target" "${options[@]}" "$corpus" "${seeds[@]}" >"build-fuzz/$target.log" 2>&1; then
    echo "FAILED: $target (see build-fuzz/$target.log and build-fuzz/artifacts/)"
    tail -n 40 "build-fuzz/$target.log"
    status=1
  else
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|Done )' "build-fuzz/$target.log" || true
  fi
done
exit $status
