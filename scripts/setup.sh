# Shared by run.sh and test.sh: install what is missing on Debian 12, then
# configure and build in ./build (an incremental build when it exists).

PAVISTO_PACKAGES=(cmake ninja-build g++ qt6-base-dev libgtest-dev fonts-dejavu-core)

pavisto_install() {
  local missing=()
  for package in "${PAVISTO_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
}

pavisto_build() {
  if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  fi
  cmake --build build
}
