#!/usr/bin/env bash
# quillon's bash completion on rows of command lines, split into words as
# bash splits them (with '=' as a word break, as it is by default, and
# without), in a folder of real files.
# Usage: completion_test.sh COMPLETION QUILLON
set -u
source "$1"
quillon=$2
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder" || exit 1
touch 'a b.mp3' song.mp3 -- -odd.mp3
mkdir music

passed=0 failed=0
# check WANT WORD...: completing the last word gives WANT, the replies
# sorted and joined by '|'.
check() {
  local want=$1
  shift
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMPREPLY=()
  _quillon
  local got
  got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd'|')
  if [ "$got" = "$want" ]; then
    passed=$((passed + 1))
  else
    echo "FAIL: quillon ${*:2}: got '$got', expected '$want'"
    failed=$((failed + 1))
  fi
}

#     expected replies                                   words
check '--format='                                        quillon --f
check '--primary-tag='                                   quillon -n --pr
check '--dry-run'                                        quillon --d
check 'artist-title|title|title-artist'                  quillon --format =
check 'title|title-artist'                               quillon --format = ti
check '--format=artist-title'                             quillon --format=a
check '--format=title|--format=title-artist'             quillon --format=ti
check 'v1|v2'                                            quillon -p ''
check 'v1|v2'                                            quillon --primary-tag = v
check 'hide'                                             quillon -l h
check '--log-window=show'                                quillon --log-window=s
check ''                                                 quillon --format = x
check 'song.mp3'                                         quillon -f title so
check 'a b.mp3'                                          quillon a
check 'music'                                            quillon mu
check '-odd.mp3'                                         quillon -- -
check '-odd.mp3'                                         quillon -n -- -o
check '--dry-run'                                        quillon --undo -
check ''                                                 quillon --undo s
check 'song.mp3'                                         quillon --undo -- s
check '--dry-run'                                        quillon --undo=12 -
check ''                                                 quillon --undo-list -
# Batch numbers come from the journal folder.
export XDG_STATE_HOME=$folder/state
mkdir -p "$XDG_STATE_HOME/Ombrix/Quillon"
touch "$XDG_STATE_HOME"/Ombrix/Quillon/{00000007,00000012,00000120}.journal "$XDG_STATE_HOME/Ombrix/Quillon/sequence"
check '12|120'                                           quillon --undo = 1
check '--undo=12|--undo=120|--undo=7'                    quillon --undo=

# Every long option that --help lists completes from its first letters.
for option in $("$quillon" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u); do
  case $option in
    --format | --primary-tag | --log-window) check "$option=" quillon "${option:0:5}" ;;
    --dry-run | --help | --version | --show-settings) check "$option" quillon "${option:0:4}" ;;
    --undo) check '--undo|--undo-list|--undo=' quillon --undo ;;
    --undo-list) check "$option" quillon --undo-l ;;
    *) echo "FAIL: --help lists $option, which this test does not know"; failed=$((failed + 1)) ;;
  esac
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
