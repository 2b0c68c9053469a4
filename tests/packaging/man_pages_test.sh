#!/usr/bin/env bash
# The manual pages render without a warning from mandoc or groff, have every
# section a page of ours has, and quillon.1 names every option of --help.
# Usage: man_pages_test.sh QUILLON MAN_DIR
set -u
quillon=$1 man=$2
passed=0 failed=0
check() {  # what, then a command that succeeds when it holds
  local what=$1
  shift
  if "$@"; then passed=$((passed + 1)); else echo "FAIL: $what"; failed=$((failed + 1)); fi
}
quiet() { local out; out=$("$@" 2>&1); [ -z "$out" ] || { echo "$out"; return 1; }; }
# What lintian runs: man's own warnings (on standard error).
man_warnings() { LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l -Tutf8 -Z "$1" 2>&1 >/dev/null; }
rendered() { MANWIDTH=200 LC_ALL=C.UTF-8 man -l "$man/$1" 2>/dev/null | col -b; }

for page in quillon.1 quillon-gui.1; do
  check "$page: mandoc -Tlint is silent" quiet mandoc -Tlint -W style "$man/$page"
  check "$page: groff -ww is silent" quiet groff -k -Tutf8 -man -ww -z "$man/$page"
  check "$page: man --warnings is silent" quiet man_warnings "$man/$page"
  text=$(rendered "$page")
  for heading in NAME SYNOPSIS DESCRIPTION OPTIONS 'EXIT STATUS' ENVIRONMENT FILES EXAMPLES 'SEE ALSO'; do
    check "$page: section $heading" grep -qx "$heading" <<<"$text"
  done
done

# Every option --help lists, long and short, is in the page; so are the six
# outcome messages and the three value files.
text=$(rendered quillon.1)
for option in $("$quillon" --help | grep -oE -- '(^|[ ,])--?[a-zA-Z][a-z-]*' | tr -d ' ,' | sort -u); do
  check "quillon.1 describes $option" grep -qE -- "(^|[ ,])$option([ ,=]|\$)" <<<"$text"
done
for message in ○正常終了 ×ｱｸｾｽ失敗 ×ﾌｧｲﾙｴﾗｰ ×ﾀｸﾞなし ×曲名なし ×ﾘﾈｰﾑｴﾗｰ 'Filename Type' 'Primary Tag' 'Log Window' \
  XDG_CONFIG_HOME; do
  check "quillon.1 names $message" grep -qF -- "$message" <<<"$text"
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
