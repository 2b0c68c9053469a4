#!/bin/sh
# Prepares, for the Windows fault test under Wine, a folder that refuses every
# change even to root: FOLDER/locked holds track.mp3 (an ID3v2.3 tag with the
# title "Song") and carries the immutable flag. "cleanup" takes it away again.
# Usage: immutable_folder.sh setup|cleanup FOLDER
set -eu
folder=$2
if [ -e "$folder" ]; then
    chattr -R -i "$folder" 2>/dev/null || true
    rm -rf "$folder"
fi
[ "$1" = setup ] || exit 0
mkdir -p "$folder/locked"
printf 'ID3\003\000\000\000\000\000\000TIT2\000\000\000\005\000\000\000Song\000\000\000\000\000\000\000\000' \
    >"$folder/locked/track.mp3"
# Where the file system or the machine does not allow it, the test says so and
# is skipped.
chattr +i "$folder/locked" || echo "immutable_folder.sh: chattr +i failed; the immutable folder test will be skipped"
