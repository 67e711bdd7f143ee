#!/bin/sh
# The whole test suite on a fresh Debian 12 machine, as root: installs what it
# needs, then builds and runs the suite twice, plain and under
# AddressSanitizer and UndefinedBehaviorSanitizer. Warnings are errors.
set -e
cd "$(dirname "$0")/.."
if [ "${CRX_SKIP_DEPS:-0}" != "1" ]; then
  sh tools/install-deps.sh
fi
jobs=$(nproc 2>/dev/null || echo 2)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCRX_WERROR=ON -DCRX_TESTS=ON \
  -DCRX_BENCH=ON
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DCRX_WERROR=ON -DCRX_SANITIZE=ON -DCRX_TESTS=ON \
  -DCRX_BENCH=OFF
cmake --build build-sanitize -j"$jobs"
(cd build-sanitize && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j"$jobs")
