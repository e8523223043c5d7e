#!/usr/bin/env bash
# Runs every fuzzer in build-fuzz/fuzz for the given number of seconds (default 60), one after
# the other, starting from the seed corpus that make_corpus.py writes. Fails on the first
# finding, which libFuzzer leaves in build-fuzz/findings/. Prints the executions per fuzzer and
# their total.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
bin=build-fuzz/fuzz
work=build-fuzz/corpus
findings=build-fuzz/findings
mkdir -p "$work" "$findings"
python3 fuzz/make_corpus.py build-fuzz/seeds

total=0
for fuzzer in tag_reader cp932 naming; do
  mkdir -p "$work/$fuzzer"
  dict=()
  [ -f "fuzz/$fuzzer.dict" ] && dict=(-dict="fuzz/$fuzzer.dict")
  log="build-fuzz/$fuzzer.log"
  echo "== $fuzzer: ${seconds}s"
  # A unit that takes a second, or asks for 64 MB at once, is a finding: no input this size may cost that much.
  if ! ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=0" \
       UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
       "$bin/${fuzzer}_fuzzer" "$work/$fuzzer" "build-fuzz/seeds/$fuzzer" "${dict[@]}" \
         -max_total_time="$seconds" -timeout=1 -rss_limit_mb=1024 -malloc_limit_mb=64 \
         -max_len=16384 -print_final_stats=1 -artifact_prefix="$findings/$fuzzer-" \
         >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz: $fuzzer found a problem; the input is in $findings/" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "   $runs executions, $(grep -c . <(ls "$work/$fuzzer")) inputs in the corpus"
  total=$((total + runs))
done
echo "fuzz: $total executions in all, no findings"
