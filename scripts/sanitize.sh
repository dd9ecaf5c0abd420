#!/usr/bin/env bash
# The core and its tests under AddressSanitizer and UndefinedBehaviorSanitizer (./build-asan),
# and the monitor's tests, which run real threads, under ThreadSanitizer (./build-tsan). The
# window and its tests are left out: the toolkit is not built with the sanitizers. Any report
# fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

# -O1 and line tables only: the sanitizers' advice, with reports still naming file and line, at
# half the build time of full debug information; the assertions stay on.
configure() { # configure DIR OPTION
    if [ ! -f "$1/build.ninja" ]; then
        cmake -S . -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1" \
            "-D$2=ON" >/dev/null
    fi
}

configure build-asan TANDEMIX_SANITIZE
targets=()
for dir in tests/core/*/; do
    targets+=("$(basename "$dir")_tests")
done
cmake --build build-asan -j "$jobs" --target "${targets[@]}"
(
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    cd build-asan && ctest --output-on-failure -j "$jobs" -E '^(ui|e2e|arch|pack)\.'
)

configure build-tsan TANDEMIX_TSAN
cmake --build build-tsan -j "$jobs" --target automation_tests
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 build-tsan/tests/automation_tests
