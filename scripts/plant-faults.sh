#!/usr/bin/env bash
# Plants each fault patch of tests/faults (or only those named) in a scratch
# clone of the committed HEAD, one at a time, and tells which test catches it:
#   scripts/plant-faults.sh [PATCH...]
# One line per patch: name, CAUGHT/SURVIVED/NO-BUILD/NO-APPLY, the first test
# that failed, seconds, what the patch does. Logs and the clone stay in
# $PLANT_DIR (default /tmp/tavrel-faults); this checkout is never touched.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
work="${PLANT_DIR:-/tmp/tavrel-faults}"
clone="$work/src" logs="$work/logs"
mkdir -p "$logs"
[ -d "$clone/.git" ] || git clone -q "$root" "$clone" || exit 2
git -C "$clone" fetch -q "$root" HEAD && git -C "$clone" checkout -q -f FETCH_HEAD && git -C "$clone" clean -qfd -e build
cd "$clone" || exit 2
unset DISPLAY

# The whole suite once, unchanged: it sets everything up and must pass.
scripts/test.sh > "$logs/baseline.log" 2>&1 || { echo "HEAD fails its own tests: $logs/baseline.log" >&2; exit 1; }
# shellcheck source=host-arch.sh
source scripts/host-arch.sh
windows=$(tavrel_test_preset)

patches=("$@")
[ ${#patches[@]} -gt 0 ] || patches=("$root"/tests/faults/*.patch)
for patch in "${patches[@]}"; do
    patch="$root/tests/faults/$(basename "$patch")"
    name=$(basename "$patch" .patch)
    what=$(sed -n '1s/^# //p' "$patch")
    git checkout -q -- . && git clean -qfd -e build
    start=$(date +%s) result=SURVIVED first=-
    if ! git apply "$patch" 2> "$logs/$name.apply.log"; then
        result=NO-APPLY
    else
        for preset in native "$windows"; do
            if ! cmake --build --preset "$preset" > "$logs/$name.$preset.build.log" 2>&1; then
                result=NO-BUILD; break
            fi
            if ! ctest --preset "$preset" --stop-on-failure > "$logs/$name.$preset.log" 2>&1; then
                result=CAUGHT
                first=$(grep -m1 -E '\*\*\*(Failed|Exception|Timeout)|Not Run' "$logs/$name.$preset.log" |
                        sed -E 's/.*Test +#[0-9]+: ([A-Za-z0-9_.-]+).*/\1/')
                break
            fi
        done
    fi
    # A run stopped at its first failure skips the suite's own stop of Wine.
    scripts/stop-prefix.sh "$clone/build/$windows/wineprefix" > /dev/null 2>&1
    printf '%s\t%s\t%s\t%s\t%s\n' "$name" "$result" "$first" "$(($(date +%s) - start))" "$what"
done
# The clone's trees back to HEAD, for the next run.
git checkout -q -- . && for preset in native "$windows"; do cmake --build --preset "$preset" > /dev/null 2>&1; done
