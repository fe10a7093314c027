#!/usr/bin/env bash
# The scripts' install helper (tools/install.sh) and the one skip that holds
# under VARNEL_REQUIRE_ALL=1 (tests/windows/skip.sh --wine32-missing), against
# stand-ins for apt-get, dpkg-query, npm and sleep that log their calls: no
# package is installed and nothing waits.
#
#   install_test.sh CASE
set -euo pipefail
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAILED: $*" >&2
    [ ! -s "$work/calls" ] || { echo "calls:" && cat "$work/calls"; } >&2
    exit 1
}

# The stand-ins. apt-get's update fails for every source listed in
# $work/unreachable; its install fails for any package listed in
# $work/uninstallable, and records those it installs in $work/installed,
# which dpkg-query reads. npm fails while $work/npm_down exists.
mkdir "$work/bin"
cat >"$work/bin/apt-get" <<'STAND_IN'
#!/usr/bin/env bash
work="$(dirname "$(dirname "$0")")"
echo "apt-get $*" >>"$work/calls"
for word; do
    case "$word" in
    update)
        status=0
        while read -r url; do
            echo "E: Failed to fetch $url  Could not resolve host"
            status=100
        done <"$work/unreachable"
        exit "$status"
        ;;
    install) break ;;
    esac
done
packages=()
for word; do
    case "$word" in -* | install | DPkg::* | Acquire::*) ;; *) packages+=("$word") ;; esac
done
for package in "${packages[@]}"; do
    if grep -qx "$package" "$work/uninstallable"; then
        echo "E: Unable to locate package $package" >&2
        exit 100
    fi
done
printf '%s\n' "${packages[@]}" >>"$work/installed"
STAND_IN
cat >"$work/bin/dpkg-query" <<'STAND_IN'
#!/usr/bin/env bash
work="$(dirname "$(dirname "$0")")"
grep -qx "${!#}" "$work/installed" && printf installed
STAND_IN
cat >"$work/bin/npm" <<'STAND_IN'
#!/usr/bin/env bash
work="$(dirname "$(dirname "$0")")"
echo "npm $*" >>"$work/calls"
[ ! -e "$work/npm_down" ] && exit 0
printf 'npm error %s\n' "code ECONNREFUSED" "request to the registry failed" \
    "A complete log of this run can be found in: x.log" >&2
exit 1
STAND_IN
printf '#!/bin/sh\necho "sleep $*" >>"$(dirname "$(dirname "$0")")/calls"\n' >"$work/bin/sleep"
# As any user: sudo runs the command as it is.
printf '#!/bin/sh\nexec "$@"\n' >"$work/bin/sudo"
chmod +x "$work/bin"/*
for file in calls unreachable uninstallable installed; do : >"$work/$file"; done
export PATH="$work/bin:$PATH"
unset VARNEL_APT_REFRESHED VARNEL_REQUIRE_ALL

# Runs the helper's functions in a script of its own, as the scripts do;
# its standard error is left in $work/err.
helper() {
    bash -c "set -euo pipefail; source '$source_dir/tools/install.sh'; $1" 2>"$work/err"
}
calls() { grep -c "$1" "$work/calls" || true; }

case "$1" in
unreachable_source_is_a_warning)
    echo "http://unreachable.invalid/debian/dists/bookworm/InRelease" >"$work/unreachable"
    echo "libalready-dev" >"$work/installed"
    helper "apt_install libalready-dev libone-dev libtwo-dev && apt_install libthree-dev" ||
        fail "the install failed: $(cat "$work/err")"
    grep -q "warning: .*could not be read" "$work/err" || fail "no warning: $(cat "$work/err")"
    grep -q "unreachable.invalid.*Could not resolve host" "$work/err" ||
        fail "the warning does not name the source: $(cat "$work/err")"
    [ "$(calls 'update')" = 3 ] || fail "the package lists were not read three times, once a run"
    [ "$(grep '^sleep' "$work/calls" | paste -sd ' ')" = "sleep 5 sleep 10" ] ||
        fail "the attempts were not paced"
    [ "$(calls 'install.*libalready-dev')" = 0 ] || fail "an installed package was installed again"
    [ "$(sort "$work/installed" | paste -sd ' ')" = \
        "libalready-dev libone-dev libthree-dev libtwo-dev" ] || fail "not every package installed"
    ;;
uninstallable_package_fails_named)
    echo "libnowhere-dev" >"$work/uninstallable"
    if helper "apt_install libone-dev libnowhere-dev libtwo-dev"; then
        fail "an uninstallable package was not an error"
    fi
    grep -qx "bash: could not install libnowhere-dev (Unable to locate package libnowhere-dev)" \
        "$work/err" || fail "the message does not name the package alone: $(cat "$work/err")"
    [ "$(sort "$work/installed" | paste -sd ' ')" = "libone-dev libtwo-dev" ] ||
        fail "the installable packages were kept out"
    [ "$(calls 'update')" = 1 ] || fail "a good source was read again"
    ;;
npm_outage_fails_named)
    helper "npm_install 'the validator' install gltf-validator" || fail "npm failed while up"
    touch "$work/npm_down"
    if helper "npm_install 'the validator' install gltf-validator"; then
        fail "npm's failure was not an error"
    fi
    told="bash: could not install the validator (code ECONNREFUSED request to the registry failed)"
    grep -qxF "$told" "$work/err" ||
        fail "the message does not name what failed: $(cat "$work/err")"
    [ "$(calls '^npm install gltf-validator')" = 4 ] || fail "npm was not tried three times"
    ;;
wine32_skip_holds_only_while_true)
    export VARNEL_REQUIRE_ALL=1
    skip="$source_dir/tests/windows/skip.sh"
    line="32-bit Wine could not be installed, so the 32-bit build's Wine runs are skipped: x"
    echo "$line" >"$work/wine32-missing.txt"
    status=0
    out="$("$skip" --wine32-missing "$work/wine32-missing.txt" 2>&1)" || status=$?
    [ "$status" = 77 ] && [ "$out" = "SKIPPED: $line" ] ||
        fail "the outage's skip did not hold under VARNEL_REQUIRE_ALL=1 ($status): $out"
    status=0
    "$skip" "Wine is not installed" >/dev/null 2>&1 || status=$?
    [ "$status" = 1 ] || fail "another skip held under VARNEL_REQUIRE_ALL=1 ($status)"
    echo "wine32:i386" >>"$work/installed"
    status=0
    "$skip" --wine32-missing "$work/wine32-missing.txt" >/dev/null 2>&1 || status=$?
    [ "$status" = 1 ] || fail "the skip held with 32-bit Wine installed ($status)"
    status=0
    "$skip" --wine32-missing "$work/gone.txt" >/dev/null 2>&1 || status=$?
    [ "$status" = 1 ] || fail "the skip held without the install step's line ($status)"
    ;;
*)
    echo "usage: install_test.sh CASE" >&2
    exit 2
    ;;
esac
echo "passed: $1"
