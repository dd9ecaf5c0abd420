#!/usr/bin/env bash
# The core and its tests under AddressSanitizer and UndefinedBehaviorSanitizer, built in
# ./build-asan (the window and its tests are left out: the toolkit is not built with them).
# Any report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-asan
if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTANDEMIX_SANITIZE=ON >/dev/null
fi
targets=()
for dir in tests/core/*/; do
    targets+=("$(basename "$dir")_tests")
done
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$build" && ctest --output-on-failure -j "$(nproc)" -E '^(ui|e2e|arch|pack)\.'
