#!/bin/sh
# Fresh machine to test results: install, build, run every test under Wine.
set -e
cd "$(dirname "$0")/.."
tools/setup.sh
tools/build.sh
cd build
ctest -j2 --output-on-failure "$@"
