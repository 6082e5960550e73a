# Shared by run.sh and test.sh: install what is missing on Debian 12, then
# configure and build in ./build (an incremental build when it exists);
# test.sh also builds the unit tests with the sanitizers in ./build-sanitize.

# xdg-utils gives xdg-open, which the program uses to open the help page and
# files. The tests in a real window need an X server (xvfb, xauth for
# xvfb-run), real input events (xdotool), screenshots (imagemagick), a small
# window manager (openbox) and xprop (x11-utils) to read its stacking order.
# clang-tidy checks the sources. Some tests are property tests (RapidCheck).
# The fuzzers are built with clang and its libFuzzer runtime. The package
# test builds the .deb (dpkg-dev's dpkg-shlibdeps and file find its
# dependencies), validates its AppStream file (appstream) and renders its
# manual page (man-db).
PAVISTO_PACKAGES=(cmake ninja-build g++ qt6-base-dev libpng-dev libdeflate-dev libgtest-dev librapidcheck-dev fonts-dejavu-core
                  xdg-utils xvfb xauth xdotool imagemagick openbox x11-utils clang-tidy clang libclang-rt-14-dev
                  dpkg-dev file appstream man-db)

pavisto_install() {
  local missing=() package
  for package in "${PAVISTO_PACKAGES[@]}"; do
    [ "$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null)" = 'install ok installed' ] || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
      echo "Missing packages: ${missing[*]}; run as root or install sudo." >&2
      return 1
    fi
    sudo=(sudo)
  fi
  echo "Installing: ${missing[*]}"
  # env passes DEBIAN_FRONTEND on, which sudo would otherwise drop.
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
}

# pavisto_build [FOLDER [CMAKE OPTION...]]: the options apply when the folder
# is first configured.
pavisto_build() {
  local folder="${1:-build}"
  [ $# -gt 0 ] && shift
  # Configure unless one already succeeded: a failed configure leaves
  # CMakeCache.txt behind but no build.ninja.
  if [ ! -f "$folder/build.ninja" ]; then
    cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  fi
  cmake --build "$folder"
}
