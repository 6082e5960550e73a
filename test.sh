#!/usr/bin/env bash
# Installs what Pavisto needs, builds it and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/setup.sh
pavisto_install
pavisto_build
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure "$@"
# The unit tests again, built with AddressSanitizer and UndefinedBehaviorSanitizer.
pavisto_build build-sanitize -DPAVISTO_SANITIZE=ON
ctest --test-dir build-sanitize --output-on-failure "$@"
