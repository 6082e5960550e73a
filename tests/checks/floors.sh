#!/usr/bin/env bash
# Fails when a source includes a floor above its own. Usage: floors.sh SRC_DIR
set -euo pipefail
src="${1:?usage: floors.sh SRC_DIR}"

# Highest floor first; a floor may include its own folder and those after it.
floors=(main app ui view wall load image grid picture shell)
rank() {
  local i
  for i in "${!floors[@]}"; do
    [ "${floors[$i]}" = "$1" ] && { echo "$i"; return; }
  done
  echo -1
}

faults=0
checked=0
while IFS= read -r -d '' file; do
  relative="${file#"$src"/}"
  case "$relative" in
    */*) own="${relative%%/*}" ;;
    *) own="${relative%.*}" ;;  # main.cpp stands above every folder
  esac
  own_rank="$(rank "$own")"
  if [ "$own_rank" -lt 0 ]; then
    echo "$relative: not in any floor"
    faults=$((faults + 1))
    continue
  fi
  line_number=0
  while IFS= read -r line; do
    line_number=$((line_number + 1))
    [[ "$line" =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]*)\" ]] || continue
    included="${BASH_REMATCH[1]}"
    checked=$((checked + 1))
    # The version header is generated into the build folder.
    [ "$included" = Version.h ] && continue
    floor="${included%%/*}"
    floor_rank=-1
    [ "$floor" != "$included" ] && floor_rank="$(rank "$floor")"
    if [ "$floor_rank" -lt 0 ]; then
      echo "$relative:$line_number: \"$included\" is in no floor"
      faults=$((faults + 1))
    elif [ "$floor_rank" -lt "$own_rank" ]; then
      echo "$relative:$line_number: $own includes \"$included\", a floor above it"
      faults=$((faults + 1))
    fi
  done < "$file"
done < <(find "$src" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)

if [ "$checked" -eq 0 ]; then
  echo "no includes found under $src"
  exit 1
fi
[ "$faults" -eq 0 ] && echo "$checked includes, none points up a floor"
exit $((faults > 0))
