#!/usr/bin/env bash
# Fails when a C or C++ file is not formatted as .clang-format says or a QML document does
# not parse. Build folders are skipped, and so are the fuzzers' seed inputs, whose exact
# bytes are the point.
set -euo pipefail
cd "$(dirname "$0")/.."

qmllint=/usr/lib/qt5/bin/qmllint

list() {
    find . \( -path ./.git -o -path './build*' -o -path ./tests/fuzz/seeds \) -prune -o \
        -type f \( "$@" \) -print0 | sort -z
}

status=0
echo "== clang-format"
list -name '*.cpp' -o -name '*.h' -o -name '*.c' |
    xargs -0 clang-format --style=file --dry-run -Werror || status=1
echo "== qmllint"
while IFS= read -r -d '' file; do
    "$qmllint" "$file" || { echo "qmllint: $file does not parse"; status=1; }
done < <(list -name '*.qml')
exit "$status"
