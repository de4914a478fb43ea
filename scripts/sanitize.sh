#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer in build-asan and runs the
# whole test suite on Qt's offscreen platform. Any sanitizer report fails the run, leaks included;
# tests/sanitizers/lsan.supp names the only leaks forgiven, all in third-party libraries.
#
#   scripts/sanitize.sh [CTEST ARGUMENTS...]      ASAN_BUILD_DIR=... to build elsewhere
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${ASAN_BUILD_DIR:-build-asan}

if [ ! -f "$build/build.ninja" ]; then
    # -O1 keeps the stack traces exact and the build and the tests quick enough for CI. Warnings
    # stay warnings here: GCC's flow warnings misread instrumented code (it takes a vector shrunk
    # by 100 bytes for a 2^64-byte memset), and the ordinary build already makes them errors.
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" -DQUORVANTA_SANITIZE=ON -DQUORVANTA_WERROR=OFF \
        -DQUORVANTA_BUILD_BENCH=OFF
fi
cmake --build "$build" -j2

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0
cd "$build"
ctest --output-on-failure -j2 "$@"
