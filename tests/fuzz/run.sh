#!/usr/bin/env bash
# Runs the parsers' fuzz target (libFuzzer, AddressSanitizer, UBSan), which
# the native build links:  tests/fuzz/run.sh [seconds] [work dir]
# The work dir holds the target and the corpus; by default the native tree's.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
work="${2:-$root/build/native/fuzz}"
[ -x "$work/parsers_fuzz" ] || cmake --build "$(dirname "$work")" --target parsers_fuzz_target
mkdir -p "$work/corpus"
cd "$work" && ./parsers_fuzz -max_total_time="${1:-10}" -max_len=4096 -print_final_stats=1 corpus 2>&1 | tail -30
