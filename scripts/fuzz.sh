#!/usr/bin/env bash
# Builds the fuzz targets with libFuzzer (preset "fuzz", clang) and runs each for
# SECONDS (default 60), starting from its seed corpus (fuzz/seeds/TARGET) and
# keeping what it learns in build-fuzz/corpus/TARGET. Prints the inputs executed
# and the crashes found per target; crash inputs are left in build-fuzz/crashes/.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
scripts/setup.sh --fuzz
cmake --preset fuzz
cmake --build --preset fuzz -j"$(nproc)"
targets=("$@")
if ((${#targets[@]} == 0)); then
  for f in fuzz/*_fuzz.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi
mkdir -p build-fuzz/crashes
status=0
for t in "${targets[@]}"; do
  mkdir -p "build-fuzz/corpus/$t"
  log="build-fuzz/$t.log"
  set +e
  ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "build-fuzz/fuzz/$t" -max_total_time="$seconds" -rss_limit_mb=1024 -timeout=10 -print_final_stats=1 \
    -artifact_prefix="build-fuzz/crashes/$t-" "build-fuzz/corpus/$t" "fuzz/seeds/$t" >"$log" 2>&1
  rc=$?
  set -e
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
  [[ -n $runs ]] || runs=$(grep -o '#[0-9]* *DONE' "$log" | grep -o '[0-9]*' | tail -1 || true)
  crashes=$(ls build-fuzz/crashes/ 2>/dev/null | grep -c "^$t-" || true)
  echo "$t: ${runs:-?} inputs, $crashes crash files, exit $rc"
  ((rc == 0)) || status=1
done
exit $status
