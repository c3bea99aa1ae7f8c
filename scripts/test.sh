#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
# In CI (CI=true) warnings are errors, and the tests run once more in a build
# with AddressSanitizer and UndefinedBehaviorSanitizer (QUORVEL_SANITIZE=1
# asks for that run outside CI too).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

./scripts/install-deps.sh

jobs=$(nproc)
werror=OFF
sanitize=${QUORVEL_SANITIZE:-0}
if [[ "${CI:-}" == "true" ]]; then
  werror=ON
  sanitize=1
fi

cmake -S . -B build -DQUORVEL_WERROR="$werror"
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")

if [[ "$sanitize" == "1" ]]; then
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_SANITIZE=ON \
        -DQUORVEL_WERROR="$werror" -DQUORVEL_BUILD_BENCH=OFF
  cmake --build build-asan -j"$jobs"
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
  export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
  (cd build-asan && ctest --output-on-failure -j"$jobs")
fi
