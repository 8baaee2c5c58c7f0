#!/usr/bin/env bash
# Installs what the tests need, builds, and runs every test: the suite with warnings as errors,
# the suite again under AddressSanitizer and UndefinedBehaviorSanitizer, and the checks found
# in scripts/checks/ (fuzzing, the package).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test
jobs=$(nproc)

# Release, as a user builds it, so that warnings only the optimiser sees stop CI and not an install.
echo "== Build (GCC, Release) and test"
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Release -DTRESSLIN_WERROR=ON \
    -DBUILD_TESTING=ON >/dev/null
cmake --build build-test -j "$jobs"
ctest --test-dir build-test --output-on-failure -j "$jobs" --timeout 300

echo "== Build and test under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTRESSLIN_WERROR=ON \
    -DTRESSLIN_SANITIZE=ON -DBUILD_TESTING=ON >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp" \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs" --timeout 600

# The package is made from the Release build above instead of a build of its own.
export PACKAGE_BUILD="$PWD/build-test"
for check in scripts/checks/*.sh; do
    [ -e "$check" ] || continue
    echo "== $(basename "$check")"
    bash "$check"
done
echo "== All tests passed"
