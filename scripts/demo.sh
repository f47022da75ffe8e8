#!/usr/bin/env bash
# Builds the program and starts it against the built-in simulated controller.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default
cmake --build --preset default -j"$(nproc)"
if [[ -x build/app/zulqrt ]]; then
  exec build/app/zulqrt --demo "$@"
else
  exec build/cli/zul sim --tcp 0 "$@"
fi
