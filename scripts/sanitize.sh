#!/usr/bin/env bash
# Builds the tests in Debug with AddressSanitizer and UndefinedBehaviorSanitizer
# in build-sanitize and runs the whole suite there on the offscreen platform.
# Any report fails the run: ASan and UBSan stop the test that shows one, and
# LeakSanitizer fails a test whose leaks are not in tools/sanitizer/lsan.supp
# (allocations the database engine and Qt keep until the process ends).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
launcher=()
# A warm compiler cache makes the second build cheap; it is not required.
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DTARVI_BUILD_TESTS=ON -DTARVI_WERROR=ON \
  -DTARVI_SANITIZE=ON "${launcher[@]}" >/dev/null
# The build runs the test programs too (to list their tests): the same
# options hold there.
supp="$PWD/tools/sanitizer/lsan.supp"
# intercept_tls_get_addr=0: the leak check at exit otherwise walks the dynamic
# TLS of a plugin Qt has already unloaded and dies on it (a sanitizer fault
# with this glibc, not a report about our code).
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:detect_odr_violation=2:strict_string_checks=1:intercept_tls_get_addr=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$supp:print_suppressions=0"
cmake --build build-sanitize -j"$(nproc)"
cd build-sanitize
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" "$@"
