#!/bin/sh
# Installs what is missing, builds both trees and runs every test: the
# native unit tests of the core, the same tests under ASan and UBSan, a
# short run of every fuzz target, the release archive's contents, then the
# end-to-end tests that work the real belmo.exe (and the unpacked release)
# under Wine. BELMO_FUZZ_SECONDS sets each fuzz target's run (default 20).
set -eu
cd "$(dirname "$0")"
. tools/packages.sh
ensure_packages $BUILD_PACKAGES $FUZZ_PACKAGES $WINE_PACKAGES
build_all

status=0
ctest --test-dir build/native --output-on-failure || status=1

# The unit tests again with ASan and UBSan: any report ends the run with a
# failure. Run as one program rather than through CTest, where starting the
# sanitizer runtime once per test would cost a minute and a half.
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DBELMO_SANITIZE=ON
cmake --build build/asan -j "$jobs"
build/asan/belmo_unit_tests --gtest_brief=1 || status=1

# Every fuzz target for a short while from its committed seeds, as a
# regression: a crash, a sanitizer report, a failed check or an input that
# takes over 10 s fails the run. New inputs go to build/fuzz/corpus, never
# into the committed seeds; a failing input is kept in build/fuzz/artifacts.
cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBELMO_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
cmake --build build/fuzz -j "$jobs"
mkdir -p build/fuzz/artifacts build/fuzz/logs
for seeds in fuzz/corpus/*/; do
  target=$(basename "$seeds")
  mkdir -p "build/fuzz/corpus/$target"
  log="build/fuzz/logs/$target.log"
  if "build/fuzz/$target" -max_total_time="${BELMO_FUZZ_SECONDS:-20}" -timeout=10 \
      -print_final_stats=1 -artifact_prefix="build/fuzz/artifacts/$target-" \
      "build/fuzz/corpus/$target" "$seeds" >"$log" 2>&1; then
    echo "$target: $(sed -n 's/^stat::number_of_executed_units: *//p' "$log") runs, no findings"
  else
    echo "$target: FAILED (log: $log)"
    tail -n 40 "$log"
    status=1
  fi
done

check_release_archive || status=1
export BELMO_RELEASE_UNPACKED="$(pwd)/build/win64/release-check"
ctest --test-dir build/win64 --output-on-failure -V || status=1
exit $status
