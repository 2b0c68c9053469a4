#!/usr/bin/env bash
# The catalogue's template from the sources, and po/*.po brought up to it.
#
#   po/update.sh           writes po/quillon.pot (not committed) and merges it
#                          into every po/*.po: new texts come in untranslated,
#                          texts no longer used are kept commented out (#~)
#   po/update.sh --check   changes nothing; fails when a text of the sources is
#                          missing from a po/*.po, or a translation of it is
#                          not a valid one (a printf format that does not match)
#
# The texts are the English string literals inside Tr("..."), QTr("...") (the
# desktop's Tr, as a QString) and N_("...") in the Linux programs' sources
# (core/, settings/, cli/, desktop/; the Windows back ends, *_win32.*, have
# none).
set -euo pipefail
po=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$po")
check=
case ${1:-} in
  '') ;;
  --check) check=yes ;;
  *) echo "usage: po/update.sh [--check]" >&2; exit 2 ;;
esac

extract() {  # OUTPUT.pot
  local version
  version=$(sed -n 's/^project(Quillon VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
  (cd "$root" && find core settings cli desktop \( -name '*.cpp' -o -name '*.h' \) ! -name '*_win32.*' |
    LC_ALL=C sort |
    xgettext --files-from=- --output="$1" --language=C++ --from-code=UTF-8 \
      --keyword --keyword=Tr --keyword=QTr --keyword=N_ --flag=Tr:1:pass-c-format --add-comments=TRANSLATORS: \
      --package-name=Quillon --package-version="$version")
  # The header is what says the texts are UTF-8 ("Properties…"); its date
  # would only make every .po differ at each update.
  sed -i '/^"\(POT-Creation-Date\|Report-Msgid-Bugs-To\): /d' "$1"
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ -n "$check" ]; then
  extract "$work/quillon.pot"
  status=0
  for file in "$po"/*.po; do
    # Every text of the sources is in the catalogue (translated or not), and
    # msgfmt takes the catalogue without a complaint.
    msgcmp --use-untranslated --use-fuzzy "$file" "$work/quillon.pot" || status=1
    msgfmt --check --output-file=/dev/null "$file" || status=1
  done
  [ $status -eq 0 ] && echo "po: every text of the sources is in $(cd "$po" && echo *.po)"
  exit $status
fi
extract "$po/quillon.pot"
for file in "$po"/*.po; do
  msgmerge --quiet --update --backup=none --no-wrap --no-fuzzy-matching "$file" "$po/quillon.pot"
done
echo "po: wrote po/quillon.pot and updated $(cd "$po" && echo *.po)"
