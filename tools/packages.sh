# Installs the Debian packages named in $@ that are not installed yet, so
# the scripts work on a fresh machine and cost nothing on a prepared one.
# Sourced by run.sh, test.sh and tools/update_screenshots.sh.
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

# nlohmann-json3-dev: the JSON parser of the transcript readers (header only,
# for the native and the Windows build alike).
BUILD_PACKAGES="cmake make g++ libgtest-dev googletest g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 fp-utils-3.2.2 unzip nlohmann-json3-dev"
# clang with its libFuzzer and sanitizer runtimes, for the fuzz targets.
FUZZ_PACKAGES="clang libclang-rt-14-dev"
WINE_PACKAGES="wine wine64 fonts-wine fonts-ipafont-gothic xvfb xauth imagemagick pulseaudio nginx"

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

# Builds the release archive in the Windows tree and checks that it holds
# exactly the files a user needs; unpacks it to build/win64/release-check.
check_release_archive() {
  rm -f build/win64/Belmo-*-win64.zip
  (cd build/win64 && cpack >/dev/null)
  archive=$(ls build/win64/Belmo-*-win64.zip)
  expected="Belmo_help.chm README.txt belmo-mask.exe belmo.exe"
  actual=$(unzip -Z1 "$archive" | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
  if [ "$actual" != "$expected" ]; then
    echo "release archive holds: $actual; expected: $expected" >&2
    return 1
  fi
  rm -rf build/win64/release-check
  mkdir -p build/win64/release-check
  unzip -q "$archive" -d build/win64/release-check
  echo "release archive: $archive ($expected)"
}
