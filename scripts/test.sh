#!/usr/bin/env bash
# The one test command: installs what is missing, builds all three
# configurations and runs every test natively, under the sanitizers, under
# Wine (in a virtual X server; the 64-bit build where the kernel runs no
# 32-bit programs), checks the release package unpacked on its own, and runs
# the fuzz targets for a short fixed time.
# FUZZ_SECONDS (default 20 per target) sets the fuzzing time.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh
bash scripts/build.sh native asan win32

failed=0
run_ctest() {
  local c=$1
  shift
  echo "== test $c"
  if ! "$@" ctest --test-dir "build/$c" --output-on-failure -j "$(nproc)"; then
    failed=1
  fi
}

run_ctest native
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_ctest asan
# The Windows build runs under 32-bit Wine, which needs a kernel that runs
# 32-bit programs itself: under a user-mode emulator Wine takes minutes to
# start each program and crashes at random, which tests nothing of ours.
# Where the kernel runs no 32-bit programs, the same sources built for 64-bit
# Windows run their tests under 64-bit Wine instead.
if why=$(bash scripts/wine-usable.sh); then
  bash scripts/wine-prefix.sh
  run_ctest win32 xvfb-run -a -s '-screen 0 1280x1024x24' bash scripts/wine-session.sh
  echo "== package"
  if ! xvfb-run -a -s '-screen 0 1280x1024x24' bash scripts/wine-session.sh bash scripts/package-test.sh; then
    failed=1
  fi
else
  echo "== test win32 and package: NOT RUN on this machine: $why"
  echo "   (built without warnings; the 64-bit build's tests run in their place)"
  bash scripts/build.sh win64
  bash scripts/wine-prefix.sh
  run_ctest win64 xvfb-run -a -s '-screen 0 1280x1024x24' bash scripts/wine-session.sh
fi

echo "== fuzz"
if ! bash scripts/fuzz.sh "${FUZZ_SECONDS:-20}"; then
  failed=1
fi

if [ "$failed" -ne 0 ]; then
  echo "test.sh: some tests failed" >&2
  exit 1
fi
echo "test.sh: all configurations passed"
