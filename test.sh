#!/usr/bin/env bash
# Installs what Pavisto needs, builds it and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/setup.sh
pavisto_install
pavisto_build
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure "$@"
# Built, not run, so that they keep up with the code they measure.
cmake --build build --target benches
# The unit tests again, built with AddressSanitizer and UndefinedBehaviorSanitizer.
pavisto_build build-sanitize -DPAVISTO_SANITIZE=ON
# No leak check: its tracer at exit crashed on a fresh machine (signal 11
# while worker threads wound down) after a test had passed.
ASAN_OPTIONS=detect_leaks=0:strict_string_checks=1:detect_stack_use_after_return=1 \
UBSAN_OPTIONS=print_stacktrace=1 \
ctest --test-dir build-sanitize --output-on-failure "$@"
# The readers of outside files, fuzzed for a minute each.
tests/checks/fuzz.sh 60
