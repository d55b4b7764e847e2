#!/usr/bin/env bash
# Builds the parsers' fuzz target with clang (libFuzzer, AddressSanitizer,
# UBSan) and runs it:  tests/fuzz/run.sh [seconds] [work dir]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
work="${2:-$root/build/fuzz}"
mkdir -p "$work/corpus"
"${CLANGXX:-$(command -v clang++ || command -v clang++-14)}" -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined \
    -fno-sanitize-recover=all -I"$root" -o "$work/parsers_fuzz" "$root/tests/fuzz/parsers_fuzz.cpp" \
    "$root/settings/filelist_section.cpp" "$root/ui/file_selection.cpp" "$root/rotation/wallpaper_list.cpp"
cd "$work" && ./parsers_fuzz -max_total_time="${1:-10}" -max_len=4096 -print_final_stats=1 corpus 2>&1 | tail -30
