#!/usr/bin/env bash
# Stands for tests that cannot run for want of something from outside the
# repository: prints what is missing and how to get it, and skips (exit 77),
# or fails under VARNEL_REQUIRE_ALL=1.
#
#   skip.sh MESSAGE
echo "SKIPPED: $1"
if [ "${VARNEL_REQUIRE_ALL:-}" = 1 ]; then
    echo "VARNEL_REQUIRE_ALL=1: nothing may be skipped" >&2
    exit 1
fi
exit 77
