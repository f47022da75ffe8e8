#!/usr/bin/env bash
# Builds everything and runs the whole test suite.
#   scripts/test.sh          the ordinary build (build/)
#   scripts/test.sh --asan   the same suite built with AddressSanitizer and
#                            UndefinedBehaviorSanitizer (build-asan/); any report fails it
set -euo pipefail
cd "$(dirname "$0")/.."
preset=default
if [[ ${1:-} == --asan ]]; then preset=asan; fi
scripts/setup.sh
cmake --preset "$preset"
cmake --build --preset "$preset" -j"$(nproc)"
ctest --preset "$preset" -j"$(nproc)"
