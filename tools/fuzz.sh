#!/usr/bin/env bash
# Builds the libFuzzer targets in tests/fuzz/ with AddressSanitizer and
# UndefinedBehaviorSanitizer and fuzzes each one: first FUZZ_SECONDS (default
# 60) on inputs of up to 4 KiB from a corpus that grows across runs, then
# FUZZ_LARGE_SECONDS (default 10, 0 skips it) from one generated input of about
# a mebibyte. Prints executions, executions per second and any crash per
# target, and exits non-zero when a target crashed or disagreed with its
# reference.
#
# Usage: tools/fuzz.sh [build-dir]
#   build-dir   default $FUZZ_BUILD_DIR, else build/fuzz
#   CXX_FUZZ    the clang++ to use, default clang++-14, else clang++
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${1:-${FUZZ_BUILD_DIR:-$root/build/fuzz}}
seconds=${FUZZ_SECONDS:-60}
large_seconds=${FUZZ_LARGE_SECONDS:-10}

for value in "$seconds" "$large_seconds"; do
  if ! [[ $value =~ ^[0-9]+$ ]]; then
    echo "fuzz: FUZZ_SECONDS and FUZZ_LARGE_SECONDS must be whole seconds, got '$value'" >&2
    exit 2
  fi
done
if [ "$seconds" -eq 0 ]; then
  echo "fuzz: FUZZ_SECONDS must be at least 1" >&2
  exit 2
fi

if [ -n "${CXX_FUZZ:-}" ]; then
  cxx=$CXX_FUZZ
elif command -v clang++-14 >/dev/null; then
  cxx=clang++-14
elif command -v clang++ >/dev/null; then
  cxx=clang++
else
  echo "fuzz: no clang++ found; tools/setup.sh installs clang-14 and libclang-rt-14-dev" >&2
  exit 2
fi

mkdir -p "$build_dir" || exit 2
build_dir=$(cd "$build_dir" && pwd)

flags=(
  -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
  -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wshadow -Wold-style-cast
  -I"$root/core" -I"$root/tests/fuzz"
)

# Stack traces for UndefinedBehaviorSanitizer reports too, unless set already.
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

# The large inputs: a mebibyte of digits that the exponent brings back to 1,
# and a mebibyte of white space and digits before the box's number.
large_text_to_number() {
  printf '1'
  head -c 1048576 /dev/zero | tr '\0' '0'
  printf 'e-1048576'
}
large_integer_entry() {
  head -c 600000 /dev/zero | tr '\0' ' '
  printf -- '-'
  head -c 500000 /dev/zero | tr '\0' '7'
}

# Field of libFuzzer's final statistics, or of its last status line when a
# crash cut the run short.
fuzz_stat() {
  local log=$1 key=$2 status=$3 value
  value=$(sed -n "s/^stat::$key: *//p" "$log" | tail -n 1)
  if [ -z "$value" ]; then
    value=$(grep -E '^#[0-9]+' "$log" | tail -n 1 | sed -n "$status")
  fi
  echo "${value:-?}"
}

# Runs one fuzzing session; prints its numbers and, on failure, the report and
# the input that caused it. Returns the fuzzer's exit status.
fuzz_once() {
  local name=$1 label=$2 corpus=$3 max_len=$4 time=$5
  local bin=$build_dir/$name log=$build_dir/logs/$name-$label.log rc
  local dict=$root/tests/fuzz/${name%_fuzz}.dict
  local dict_flag=()
  [ -f "$dict" ] && dict_flag=(-dict="$dict")
  "$bin" -max_total_time="$time" -max_len="$max_len" -timeout=30 -print_final_stats=1 \
    -artifact_prefix="$build_dir/artifacts/$name-" "${dict_flag[@]}" "$corpus" </dev/null >"$log" 2>&1
  rc=$?
  local execs rate
  execs=$(fuzz_stat "$log" number_of_executed_units 's/^#\([0-9]*\).*/\1/p')
  rate=$(fuzz_stat "$log" average_exec_per_sec 's/.*exec\/s: *\([0-9]*\).*/\1/p')
  printf '  %-6s %ss, max_len %s: %s executions, %s per second, ' "$label" "$time" "$max_len" "$execs" "$rate"
  if [ "$rc" -eq 0 ]; then
    echo "found nothing"
    return 0
  fi
  echo "FAILED (exit status $rc)"
  grep -E '^MISMATCH|^input \(|runtime error|^==[0-9]+== ?ERROR|^SUMMARY' "$log" | sed 's/^/    /'
  local artifact
  artifact=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -n 1)
  if [ -n "$artifact" ] && [ -f "$artifact" ]; then
    echo "    input in hex (first 256 bytes of $(wc -c <"$artifact")):"
    head -c 256 "$artifact" | od -An -tx1 -v | sed 's/^/   /'
    echo "    reproduce: $bin $artifact"
  fi
  echo "    full log: $log"
  return "$rc"
}

mkdir -p "$build_dir/logs" "$build_dir/artifacts" "$build_dir/corpus" "$build_dir/large"
echo "fuzz: $($cxx --version | head -n 1), building into $build_dir"

passed=0
failed=0
for name in text_to_number_fuzz integer_entry_fuzz; do
  case $name in
    text_to_number_fuzz)
      sources=(tests/fuzz/text_to_number_fuzz.cpp tests/fuzz/reference_number.cpp core/interval_text.cpp)
      seeds=tests/fuzz/seeds_text_to_number
      generate=large_text_to_number ;;
    integer_entry_fuzz)
      sources=(tests/fuzz/integer_entry_fuzz.cpp tests/fuzz/reference_integer.cpp core/integer_entry.cpp)
      seeds=tests/fuzz/seeds_integer_entry
      generate=large_integer_entry ;;
  esac
  echo "$name:"
  if ! (cd "$root" && "$cxx" "${flags[@]}" "${sources[@]}" -o "$build_dir/$name"); then
    echo "  FAILED to build"
    failed=$((failed + 1))
    continue
  fi

  ok=1
  corpus=$build_dir/corpus/$name
  mkdir -p "$corpus"
  cp "$root/$seeds"/* "$corpus"/
  fuzz_once "$name" main "$corpus" 4096 "$seconds" || ok=0

  if [ "$ok" -eq 1 ] && [ "$large_seconds" -gt 0 ]; then
    # A fresh corpus each time, so that this run starts from the one input.
    large=$build_dir/large/$name
    rm -rf "$large"
    mkdir -p "$large"
    "$generate" >"$large/generated"
    fuzz_once "$name" large "$large" 1200000 "$large_seconds" || ok=0
  fi

  if [ "$ok" -eq 1 ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
done

echo "To fuzz longer: FUZZ_SECONDS=600 tools/fuzz.sh"
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
