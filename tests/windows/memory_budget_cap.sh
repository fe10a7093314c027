#!/usr/bin/env bash
# The memory budget as the Windows build sets it: a 32-bit process plans on
# at most 1 GiB, whatever the machine has or VARNEL_MEMORY_BUDGET says; a
# 64-bit one takes the variable. The document, one mirrored surface of 130
# by 130 quads subdivided four times, would take some 10 GiB, so both refuse
# it before the Catmull-Clark freeze allocates, naming the budget they kept.
#
#   memory_budget_cap.sh WINE WINDOWS_VARNEL POINTER_BYTES
set -euo pipefail
wine="$1" windows="$2" pointer="$3"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
cd "$out"
n=130
awk -v n="$n" 'BEGIN {
    printf "Metasequoia Document\nFormat Text Ver 1.0\nObject \"grid\" {\n"
    printf "\tpatch 3\n\tsegment 4\n\tmirror 1\n\tmirror_axis 7\n"
    printf "\tvertex %d {\n", (n + 1) * (n + 1)
    for (j = 0; j <= n; ++j) for (i = 0; i <= n; ++i) printf "\t\t%d 1 %d\n", i + 1, j + 1
    printf "\t}\n\tface %d {\n", n * n
    for (j = 0; j < n; ++j) for (i = 0; i < n; ++i) {
        a = j * (n + 1) + i
        printf "\t\t4 V(%d %d %d %d)\n", a, a + n + 1, a + n + 2, a + 1
    }
    printf "\t}\n}\nEof\n"
}' >grid.mqo

# The limit the refusal names: "上限 N バイト" in UTF-8.
limit_told() {
    local status=0
    for attempt in 1 2 3; do
        status=0
        env "$@" LC_ALL=ja_JP.UTF-8 "$wine" "$windows" import --yes --freeze-catmull grid.mqo >/dev/null 2>err ||
            status=$?
        [ -s err ] && break
    done
    if [ "$status" != 1 ]; then
        echo "import with $* ended with exit status $status, not 1:" >&2
        cat err >&2
        exit 1
    fi
    sed -n 's/.*上限 \([0-9]*\) バイト.*/\1/p' err | head -1
}

gib=1073741824
if [ "$pointer" = 4 ]; then
    # The default is half the machine's memory (Wine tells the host's), capped.
    half="$(awk '/^MemTotal:/ { printf "%d", $2 * 1024 / 2 }' /proc/meminfo)"
    expected_large=$gib expected_default=$((half < gib ? half : gib))
else
    expected_large=$((4 * gib)) expected_default=""
fi
failed=0
told="$(limit_told VARNEL_MEMORY_BUDGET=4G)"
if [ "$told" != "$expected_large" ]; then
    echo "with VARNEL_MEMORY_BUDGET=4G the budget told is '$told', not $expected_large" >&2
    failed=1
fi
# Half of this machine's memory is more than 1 GiB; a 64-bit process would
# take it, and might import the document, so only the 32-bit one is run.
if [ -n "$expected_default" ]; then
    told="$(limit_told -u VARNEL_MEMORY_BUDGET)"
    if [ "$told" != "$expected_default" ]; then
        echo "without VARNEL_MEMORY_BUDGET the budget told is '$told', not $expected_default" >&2
        failed=1
    fi
fi
[ "$failed" = 0 ] && echo "budget capped as a $((pointer * 8))-bit process caps it"
exit "$failed"
