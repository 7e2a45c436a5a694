# Installs the Debian packages named in $@ that are not installed yet, so
# the scripts work on a fresh machine and cost nothing on a prepared one.
# Sourced by run.sh and test.sh.
ensure_packages() {
  missing=""
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      missing="$missing $package"
    fi
  done
  [ -z "$missing" ] && return 0
  echo "Installing:$missing"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y --no-install-recommends $missing
}

BUILD_PACKAGES="cmake make g++ libgtest-dev googletest g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64"
WINE_PACKAGES="wine wine64 fonts-wine fonts-ipafont-gothic xvfb xauth imagemagick pulseaudio"

# Builds both trees: the native one (core, unit tests) and the Windows one
# (belmo.exe, the end-to-end driver).
build_all() {
  jobs=$(nproc 2>/dev/null || echo 2)
  cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug
  cmake --build build/native -j "$jobs"
  cmake -S . -B build/win64 -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
  cmake --build build/win64 -j "$jobs"
}
