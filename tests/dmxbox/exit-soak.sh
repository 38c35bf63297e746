#!/usr/bin/env bash
# Runs the exit test (helper streams, closes and leaves; olad must hold its last frame) many
# times to catch a rare crash at exit. Inside the olad sandbox, e.g. with an ASan build:
#   LSAN_OPTIONS=suppressions=tests/dmxbox/lsan-ola.supp \
#     bash tools/olad-sandbox.sh run tests/dmxbox/exit-soak.sh build-asan/tests/dmxbox/tst_dmxbox_ola 300
set -uo pipefail
test_binary=$1
runs=${2:-100}
row="lastFrameArrivesAtExit:after a stream of frames"
failed=0
for i in $(seq "$runs"); do
    out=$(QT_QPA_PLATFORM=offscreen "$test_binary" "$row" 2>&1)
    if ! grep -q "^PASS   : .*lastFrameArrivesAtExit" <<<"$out" ||
        grep -q "AddressSanitizer\|runtime error" <<<"$out"; then
        failed=$((failed + 1))
        echo "== run $i failed"
        grep -v "^QDEBUG\|^QINFO" <<<"$out" | head -60
    fi
done
echo "exit soak: $runs runs, $failed failed"
[ "$failed" -eq 0 ]
