# shellcheck shell=bash
# The package installs of every script, sourced by them (tools/setup.sh,
# tools/windows.sh, tools/mingw_libzip.sh, tools/web.sh):
#
#   apt_install [APT_OPTION...] PACKAGE...   install the missing ones, or fail naming
#                                            each that could not be installed
#   apt_try_install [APT_OPTION...] PACKAGE...   the same, silent: on failure
#                                            apt_failures names them, with apt's reason
#   apt_refresh                              apt-get update, whatever it did before
#   npm_install WHAT NPM_ARGUMENT...         npm install or npm ci, tried again
#                                            when it fails, then failing naming WHAT
#
# A package source that cannot be read (a mirror in the middle of a sync, a
# host that does not answer) is tried again a few times and then only warned
# of: the packages the other sources hold still install, and a package that
# does not is what fails. The package lists are read once per run of a
# script and of the scripts it runs (VARNEL_APT_REFRESHED in the environment).

install_attempts=3
install_pause=5 # seconds before the second attempt; twice that before the third

install_tag() {
    echo "${0##*/}"
}

# As root nothing; otherwise sudo (which clears the environment, hence env
# in apt_get).
install_sudo() {
    [ "$(id -u)" -eq 0 ] || echo sudo
}

# Tried again after a pause as long as it fails; its output of the last
# attempt is left in the file named first.
install_retried() {
    local log="$1" attempt
    shift
    for ((attempt = 1; attempt <= install_attempts; attempt++)); do
        "$@" >"$log" 2>&1 && return 0
        ((attempt == install_attempts)) || sleep $((install_pause * attempt))
    done
    return 1
}

apt_installed() {
    [ "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null)" = installed ]
}

apt_get() {
    $(install_sudo) env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 "$@"
}

apt_refresh() {
    local log
    log="$(mktemp)"
    if ! install_retried "$log" apt_get update -qq; then
        echo "$(install_tag): warning: some package sources could not be read" \
            "($install_attempts attempts); the packages of the others still install:" >&2
        # apt's "E: Failed to fetch URL  reason", one per source.
        sed -n 's/^[EW]: Failed to fetch /    /p' "$log" >&2
        grep -q '^[EW]: Failed to fetch ' "$log" || tail -n 3 "$log" >&2
    fi
    rm -f "$log"
    export VARNEL_APT_REFRESHED=1
}

# apt's own words on why an install failed: its "E:" lines, joined, or
# without any its last line.
apt_reason() {
    awk 'sub(/^E: /, "") { printf "%s%s", separator, $0; separator = "; " }
         NF { last = $0 }
         END { if (!separator) printf "%s", last }' "$1"
}

apt_try_install() {
    local options=() need=() package log
    apt_failures=""
    for package; do
        case "$package" in
        -*) options+=("$package") ;;
        *) apt_installed "$package" || need+=("$package") ;;
        esac
    done
    [ ${#need[@]} -gt 0 ] || return 0
    [ -n "${VARNEL_APT_REFRESHED:-}" ] || apt_refresh
    echo "$(install_tag): installing ${need[*]}" >&2
    log="$(mktemp)"
    local install=(apt_get install -y -qq -o Acquire::Retries=3 "${options[@]}")
    if ! "${install[@]}" "${need[@]}" >"$log" 2>&1; then
        if [ ${#need[@]} -eq 1 ]; then
            apt_failures="${need[0]} ($(apt_reason "$log"))"
        else
            # One at a time, so that one that cannot be installed keeps none
            # of the others out, and is the one named.
            for package in "${need[@]}"; do
                "${install[@]}" "$package" >"$log" 2>&1 && continue
                apt_failures+="${apt_failures:+, }$package ($(apt_reason "$log"))"
            done
        fi
    fi
    rm -f "$log"
    [ -z "$apt_failures" ]
}

apt_install() {
    apt_try_install "$@" && return 0
    echo "$(install_tag): could not install $apt_failures" >&2
    return 1
}

npm_install() {
    local what="$1" log
    shift
    log="$(mktemp)"
    if ! install_retried "$log" npm "$@" --no-audit --no-fund; then
        # npm's "npm error" lines (older npm: "npm ERR!") but its log's name.
        echo "$(install_tag): could not install $what ($(sed -nE \
            '/complete log/d; s/^npm (error|ERR!) *//p' "$log" | head -n 2 | paste -sd ' '))" >&2
        rm -f "$log"
        return 1
    fi
    rm -f "$log"
}
