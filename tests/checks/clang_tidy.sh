#!/usr/bin/env bash
# clang-tidy over every source in src/ with the checks of .clang-tidy, from
# the build's compile commands; any finding fails.
# Usage: clang_tidy.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build="${1:?usage: clang_tidy.sh BUILD_DIR SOURCE_DIR}"
source="$(cd "${2:?usage: clang_tidy.sh BUILD_DIR SOURCE_DIR}" && pwd)"
[ -f "$build/compile_commands.json" ] || { echo "no compile_commands.json in $build"; exit 1; }
command -v run-clang-tidy > /dev/null || { echo "run-clang-tidy is not installed (Debian: clang-tidy)"; exit 1; }
run-clang-tidy -quiet -p "$build" -j "$(nproc)" "$source/src/" > "$build/clang-tidy.log" 2>&1 && status=0 || status=$?
# Only findings and their notes, without the commands run.
grep -E '(warning|error|note):' "$build/clang-tidy.log" | grep -v '^clang-tidy' || true
[ "$status" -eq 0 ] && echo "clang-tidy: no findings in $source/src"
exit "$status"
