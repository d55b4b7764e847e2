#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UBSan)
# and runs each for a while:  tests/fuzz/run.sh [seconds per target] [work dir]
set -euo pipefail
seconds="${1:-10}"
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
work="${2:-$root/build/fuzz}"
cxx="${CLANGXX:-$(command -v clang++ || command -v clang++-14)}"
mkdir -p "$work"
flags=(-std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -I"$root")

build() {
    local name="$1"; shift
    "$cxx" "${flags[@]}" -o "$work/$name" "$here/$name.cpp" "$@"
}
build filelist_section_fuzz "$root/settings/filelist_section.cpp" "$root/rotation/wallpaper_list.cpp"
build file_selection_fuzz "$root/ui/file_selection.cpp" "$root/rotation/wallpaper_list.cpp"

for target in filelist_section_fuzz file_selection_fuzz; do
    corpus="$work/$target.corpus"
    mkdir -p "$corpus"
    echo "== $target for ${seconds}s"
    (cd "$work" && "./$target" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 "$corpus" 2>&1 | tail -30)
done
