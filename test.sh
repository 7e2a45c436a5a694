#!/bin/sh
# Installs what is missing, builds both trees and runs every test: the
# native unit tests of the core, the release archive's contents, then the
# end-to-end tests that work the real belmo.exe (and the unpacked release)
# under Wine.
set -eu
cd "$(dirname "$0")"
. tools/packages.sh
ensure_packages $BUILD_PACKAGES $WINE_PACKAGES
build_all

status=0
ctest --test-dir build/native --output-on-failure || status=1
check_release_archive || status=1
export BELMO_RELEASE_UNPACKED="$(pwd)/build/win64/release-check"
ctest --test-dir build/win64 --output-on-failure -V || status=1
exit $status
