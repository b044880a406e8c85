#!/usr/bin/env bash
# Tesk's one set-up script.
#   ./tesk.sh run    installs what is missing, builds and starts Tesk
#   ./tesk.sh test   installs what is missing, builds and runs every test, and
#                    runs the fuzz targets briefly
# The clang build of the fuzz targets builds every test too and runs it under
# AddressSanitizer and UndefinedBehaviorSanitizer (a leak fails the test);
# TESK_SANITIZED_TESTS=0 leaves that out. In CI (CI=true) the benchmarks are
# not built, and when the sanitized tests run there, the plain build makes only
# the program.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
BUILD="${TESK_BUILD_DIR:-$ROOT/build}"
FUZZ_BUILD="${TESK_FUZZ_BUILD_DIR:-$ROOT/build-fuzz}"
JOBS="$(nproc 2>/dev/null || echo 2)"
FUZZ_SECONDS="${TESK_FUZZ_SECONDS:-15}"
SANITIZED_TESTS=ON
[ "${TESK_SANITIZED_TESTS:-1}" = "0" ] && SANITIZED_TESTS=OFF
BENCH=ON
[ "${CI:-}" = "true" ] && BENCH=OFF

PACKAGES=(
  g++ clang cmake ninja-build pkg-config ccache
  qt6-base-dev libsqlite3-dev libjpeg62-turbo-dev
  libgtest-dev libgmock-dev libbenchmark-dev libpcre2-dev
  fonts-dejavu-core fonts-liberation
  xvfb xclip xdotool
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_missing() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

configure_and_build() {
  local tests="${1:-ON}"
  install_missing "${PACKAGES[@]}"
  # The build uses ccache when it is there. Paths under the checkout count
  # relative to it, so that another clone of the tree hits the same cache.
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$ROOT}" CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-true}"
  # CI's program is only compiled, never debugged: no debug information.
  local -a flags=()
  [ "${CI:-}" = "true" ] && flags+=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG")
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESK_BUILD_BENCH="$BENCH" \
    -DTESK_BUILD_TESTS="$tests" "${flags[@]}" >/dev/null
  cmake --build "$BUILD" -j "$JOBS"
}

# Answers the clang++ that can build the libFuzzer targets under the
# sanitizers (installing its run-time when missing), or nothing.
sanitizer_compiler() {
  local clangxx
  clangxx="$(command -v clang++ || true)"
  ls "$ROOT"/fuzz/*.cpp >/dev/null 2>&1 || return 0
  if [ -z "$clangxx" ]; then
    echo "sanitizers: clang++ not present, sanitizer tests and fuzz targets skipped" >&2
    return 0
  fi
  local probe
  probe="$(mktemp -d)"
  printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' > "$probe/p.cpp"
  if ! "$clangxx" -fsanitize=fuzzer "$probe/p.cpp" -o "$probe/p" 2>/dev/null; then
    install_missing "libclang-rt-$("$clangxx" -dumpversion | cut -d. -f1)-dev" >&2 || true
    if ! "$clangxx" -fsanitize=fuzzer "$probe/p.cpp" -o "$probe/p" 2>/dev/null; then
      echo "sanitizers: libFuzzer not available for $clangxx, sanitizer tests and fuzz targets skipped" >&2
      clangxx=""
    fi
  fi
  rm -rf "$probe"
  echo "$clangxx"
}

# The clang build under the sanitizers: the libFuzzer targets run briefly,
# and the tests run under the sanitizers. One build folder serves both.
run_sanitized() {
  local clangxx="$1"
  [ -n "$clangxx" ] || return 0
  # Configured each time: the choice of tests may have changed.
  CXX="$clangxx" cmake -S "$ROOT" -B "$FUZZ_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESK_FUZZ=ON \
    -DTESK_BUILD_TESTS="$SANITIZED_TESTS" -DTESK_BUILD_BENCH=OFF >/dev/null
  cmake --build "$FUZZ_BUILD" -j "$JOBS"
  if [ "$SANITIZED_TESTS" = ON ]; then
    echo "sanitizers: running the tests"
    (cd "$FUZZ_BUILD" && ctest --output-on-failure -j "$JOBS")
  fi
  # The targets run side by side, as many at a time as there are cores.
  local -a targets=()
  local f
  for f in "$FUZZ_BUILD"/fuzz/fuzz_*; do [ -x "$f" ] && targets+=("$f"); done
  [ ${#targets[@]} -eq 0 ] && return 0
  export ROOT FUZZ_BUILD FUZZ_SECONDS
  printf '%s\n' "${targets[@]}" | xargs -P "$JOBS" -I{} bash -c 'run_fuzz_target "$1"' _ {}
}

# One libFuzzer target over its seeds and the corpus it grew before; the
# crash or leak it finds goes to the fuzz build folder.
run_fuzz_target() {
  local f="$1" name
  name="$(basename "$f")"
  local corpus="$FUZZ_BUILD/corpus/$name" log="$FUZZ_BUILD/$name.log"
  mkdir -p "$corpus"
  local seeds="$ROOT/fuzz/corpus/${name#fuzz_}"
  local dirs=("$corpus")
  [ -d "$seeds" ] && dirs+=("$seeds")
  echo "fuzz: $name for ${FUZZ_SECONDS}s"
  # System libraries' caches made on first use are not the target's leaks.
  if ! LSAN_OPTIONS="suppressions=$ROOT/tests/lsan.supp:print_suppressions=0" \
      "$f" -max_total_time="$FUZZ_SECONDS" -rss_limit_mb=2048 -timeout=10 -print_final_stats=0 \
      -artifact_prefix="$FUZZ_BUILD/$name-" "${dirs[@]}" 2>"$log"; then
    tail -n 60 "$log"
    echo "fuzz: $name failed"
    return 255  # stops xargs at once
  fi
}
export -f run_fuzz_target

cmd="${1:-}"
case "$cmd" in
  run)
    configure_and_build
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
      echo "No display found: starting Tesk on the offscreen platform."
      export QT_QPA_PLATFORM=offscreen
    fi
    exec "$BUILD/bin/tesk"
    ;;
  test)
    install_missing "${PACKAGES[@]}"
    clangxx="$(sanitizer_compiler)"
    # In CI the tests build and run once, under the sanitizers, when they can;
    # the plain build then makes only the program.
    plain_tests=ON
    [ "${CI:-}" = "true" ] && [ "$SANITIZED_TESTS" = ON ] && [ -n "$clangxx" ] && plain_tests=OFF
    configure_and_build "$plain_tests"
    run_sanitized "$clangxx"
    if [ "$plain_tests" = ON ]; then
      # ctest last, so that its summary closes the output.
      (cd "$BUILD" && ctest --output-on-failure -j "$JOBS")
    fi
    ;;
  *)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
