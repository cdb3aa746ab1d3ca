#!/usr/bin/env bash
# The whole suite in a Debug build with AddressSanitizer and
# UndefinedBehaviorSanitizer, in its own build folder (build-pruefen), so the
# usual build stays as it is. Any report of either sanitizer fails the test
# that caused it. Leaks are not looked for: Qt and the system libraries keep
# memory until the process ends on purpose.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh >/dev/null
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}" CCACHE_NOHASHDIR=true
if [ ! -f build-pruefen/build.ninja ]; then
  cmake -S . -B build-pruefen -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" -DTAVERO_TEST_TIMEOUT=1800
fi
cmake --build build-pruefen -j "${JOBS:-$(nproc)}"
export QT_QPA_PLATFORM=offscreen
# (no strict_string_checks: libxkbcommon-x11 hands strndup a reply that is not
# NUL-terminated but long enough, which the strict check takes for an overflow)
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
if command -v pg_virtualenv >/dev/null; then
  pg_virtualenv -t -o fsync=off ctest --test-dir build-pruefen --output-on-failure -j "${JOBS:-2}"
else
  ctest --test-dir build-pruefen --output-on-failure -j "${JOBS:-2}"
fi
