#!/usr/bin/env bash
# The floors check itself: it passes a tree whose includes point down and
# fails one include that points up, names no floor, or sits outside a floor.
set -euo pipefail
check="$(dirname "$0")/floors.sh"
tree="$(mktemp -d)"
trap 'rm -rf "$tree"' EXIT

mkdir -p "$tree/shell" "$tree/picture" "$tree/grid" "$tree/view" "$tree/ui"
printf '#include "shell/Base.h"\n' > "$tree/picture/Picture.h"
printf '#include "picture/Picture.h"\n#include <vector>\n' > "$tree/grid/Cells.h"
printf '#include "grid/Cells.h"\n#include "Version.h"\n' > "$tree/view/Zoom.cpp"
printf '#include "view/Zoom.h"\n' > "$tree/ui/Window.cpp"
printf '#include "ui/Window.h"\n' > "$tree/main.cpp"
printf '#pragma once\n' > "$tree/shell/Base.h"
"$check" "$tree" > /dev/null || { echo "a sound tree failed"; exit 1; }

expect_fault() {
  local file="$1" text="$2"
  printf '%s\n' "$text" > "$tree/$file"
  if "$check" "$tree" > /dev/null; then
    echo "not caught: $file with $text"
    exit 1
  fi
  rm "$tree/$file"
}
expect_fault grid/Up.cpp '  #  include "view/Zoom.h"'
expect_fault shell/Up.h '#include "grid/Cells.h"'
expect_fault picture/Up.h '#include "grid/Cells.h"'
expect_fault view/Odd.cpp '#include "tests/Helper.h"'
expect_fault view/Bare.cpp '#include "Cells.h"'
expect_fault other.cpp '#include "shell/Base.h"'
mkdir "$tree/extra" && expect_fault extra/Thing.cpp '#include "shell/Base.h"'
echo "the floors check passes a sound tree and fails each upward include"
