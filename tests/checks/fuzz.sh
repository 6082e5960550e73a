#!/usr/bin/env bash
# Builds the fuzzers with clang into build-fuzz and runs each for SECONDS
# (default 60) side by side, keeping what they learn in build-fuzz/corpus. Any crash,
# sanitizer report or leak fails the run; libFuzzer writes the input that
# caused it into build-fuzz/findings.
# Usage: tests/checks/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds="${1:-60}"
fuzzers=(wall_fuzz cache_entry_fuzz)
if [ ! -f build-fuzz/build.ninja ]; then
  CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPAVISTO_FUZZ=ON -DBUILD_TESTING=OFF
fi
cmake --build build-fuzz --target "${fuzzers[@]}"
mkdir -p build-fuzz/findings
# Side by side, one a core; each writes a log, shown when it fails.
pids=()
for fuzzer in "${fuzzers[@]}"; do
  corpus="build-fuzz/corpus/$fuzzer"
  mkdir -p "$corpus"
  # Seeds (files as the program writes them) and inputs that once crashed
  # a reader are tried first, every run.
  regressions=()
  [ -d "tests/fuzz/regressions/$fuzzer" ] && regressions=("tests/fuzz/regressions/$fuzzer")
  echo "Fuzzing $fuzzer for $seconds s"
  QT_QPA_PLATFORM=offscreen "build-fuzz/tests/fuzz/$fuzzer" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=1024 \
    -artifact_prefix="build-fuzz/findings/$fuzzer-" -print_final_stats=1 "$corpus" "${regressions[@]}" \
    >"build-fuzz/$fuzzer.log" 2>&1 &
  pids+=($!)
done
failed=0
for i in "${!fuzzers[@]}"; do
  if wait "${pids[$i]}"; then
    echo "${fuzzers[$i]}: $(grep -m1 '^stat::number_of_executed_units' "build-fuzz/${fuzzers[$i]}.log")"
  else
    failed=1
    tail -n 60 "build-fuzz/${fuzzers[$i]}.log"
  fi
done
exit "$failed"
