#!/bin/bash
# The product's folders are floors: res <- base <- rotation <- settings <- ui <- app
# (res holds the resource ids every floor may use). A file may include its own
# floor and those below it; each include pointing up fails.
set -u
cd "${1:?usage: layering_test.sh SOURCE_DIR}" || exit 2
floors=" res base rotation settings ui app "
rank() { local below=${floors%% $1 *}; [ "$below" = "$floors" ] && echo 99 || wc -w <<<"$below"; }
failed=0
while IFS=: read -r file line include; do
    target=$(sed -E 's/.*#include "([^"]+)".*/\1/' <<<"$include")
    if [ "$(rank "${target%%/*}")" -gt "$(rank "${file%%/*}")" ]; then
        echo "FAIL: $file:$line includes \"$target\""
        failed=1
    fi
done < <(grep -rn --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include "' $floors)
[ "$failed" = 0 ] && echo "PASS: includes point down ($floors)"
exit "$failed"
