#!/usr/bin/env bash
# Compiles the locales the tests run programs in into a folder of the build
# (used as LOCPATH), once: a fresh Debian machine has generated none but C.UTF-8.
# Usage: locales.sh FOLDER LOCALE...   (e.g. build/native/locale ja_JP.UTF-8 en_US.UTF-8)
# Sourced (by wine-run.sh), it only defines compile_locales.

# compile_locales FOLDER LOCALE...: each LOCALE (NAME.CHARMAP) into
# FOLDER/LOCALE. Whoever holds the lock compiles; the others find it done.
# Fails, saying why, when one cannot be made.
compile_locales() {
    local folder=$1
    shift
    mkdir -p "$folder"
    (
        flock 9
        for name in "$@"; do
            [ -f "$folder/$name/LC_CTYPE" ] && continue
            if ! command -v localedef >/dev/null; then
                echo "locales.sh: localedef missing (package locales): cannot make $name" >&2
                exit 1
            fi
            rm -rf "$folder/$name.new"
            # localedef warns (and exits 1) about details of some locale
            # sources; what counts is the compiled result.
            localedef -i "${name%%.*}" -f "${name#*.}" "$folder/$name.new" >/dev/null 2>&1 || true
            if [ ! -f "$folder/$name.new/LC_CTYPE" ]; then
                echo "locales.sh: cannot compile the $name locale into $folder" >&2
                exit 1
            fi
            rm -rf "${folder:?}/$name"
            mv "$folder/$name.new" "$folder/$name"
        done
    ) 9>"$folder.lock"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    compile_locales "$@"
fi
