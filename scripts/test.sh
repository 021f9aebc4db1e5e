#!/usr/bin/env bash
# Checks the C++ layout, builds every build and runs every test: the portable code natively under
# ASan/UBSan (with short fuzzing runs), then everything of the 32-bit and of the 64-bit Windows build under
# Wine. Ends with one summary line.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/bootstrap.sh || { echo "0 passed, 1 failed"; exit 1; }

logdir="$root/build/test-logs"
mkdir -p "$logdir"
passed=0
failed=0
status=0
summaries=()

run_build() { # preset
  local preset=$1
  echo "== $preset: configure and build"
  if ! cmake --preset "$preset" >"$logdir/$preset-configure.log" 2>&1; then
    cat "$logdir/$preset-configure.log"; return 1
  fi
  cmake --build --preset "$preset" 2>&1 | tee "$logdir/$preset-build.log" | grep -E 'error|warning|FAILED' || true
  [ "${PIPESTATUS[0]}" -eq 0 ]
}

run_tests() { # preset
  local preset=$1
  echo "== $preset: tests"
  ctest --preset "$preset" 2>&1 | tee "$logdir/$preset-ctest.log"
  local line
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$logdir/$preset-ctest.log" | tail -1)
  if [ -z "$line" ]; then failed=$((failed + 1)); status=1; return; fi
  local total fails
  total=$(echo "$line" | sed -E 's/.*out of ([0-9]+).*/\1/')
  fails=$(echo "$line" | sed -E 's/.* ([0-9]+) tests? failed.*/\1/')
  passed=$((passed + total - fails))
  failed=$((failed + fails))
  summaries+=("$preset: $((total - fails)) passed, $fails failed")
  [ "$fails" -eq 0 ] || status=1
}

# Every C++ file as clang-format (.clang-format) lays it out; a file that differs counts as one failure.
echo "== format: clang-format"
if git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror >"$logdir/format.log" 2>&1; then
  passed=$((passed + 1))
else
  grep -E '^[^ ]+: (error|warning):' "$logdir/format.log" | cut -d: -f1 | sort -u | sed 's/^/   not formatted: /'
  failed=$((failed + 1)); status=1
fi

# Every include of src/ points down the layers (scripts/check_includes.sh names any that does not).
echo "== layers: includes point down"
if bash scripts/check_includes.sh; then passed=$((passed + 1)); else failed=$((failed + 1)); status=1; fi

for preset in native windows windows-x64; do
  if run_build "$preset"; then
    run_tests "$preset"
  else
    echo "== $preset: build FAILED (see $logdir/$preset-build.log)"
    summaries+=("$preset: build failed")
    failed=$((failed + 1)); status=1
  fi
done

echo
echo "Summary of the native, the 32-bit (windows) and the 64-bit (windows-x64) Windows builds:"
printf '  %s\n' "${summaries[@]}"
echo "$passed passed, $failed failed"
exit $status
