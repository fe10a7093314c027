# Sourced: gives Wine a Japanese locale. Wine takes the system's code page
# (932) from LC_ALL, and makes Linux file names in the locale's character
# set; without ja_JP.UTF-8 on the machine it is compiled into DIR for Wine.
#
#   source japanese_locale.sh DIR    (skips the test when it cannot)
if ! locale -a 2>/dev/null | grep -qix "ja_JP.utf-\?8"; then
    localedef -i ja_JP -f UTF-8 "$1/ja_JP.UTF-8" >/dev/null 2>&1 ||
        exec "$(dirname "${BASH_SOURCE[0]}")/skip.sh" "no ja_JP.UTF-8 locale for Wine, and \
localedef cannot make one: apt-get install locales"
    export LOCPATH="$1"
fi
