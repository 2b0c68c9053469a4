#!/usr/bin/env bash
# The release: from a fresh clone of the committed tree, builds the Debian
# package and the Windows zip and writes them to dist/ with their SHA256SUMS.
# --verify builds twice, in two clones at different paths and times, and
# checks that the .deb, the .zip and quillon.exe come out byte for byte equal.
#
# Usage: scripts/release.sh [--verify]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
verify=
case ${1:-} in
  '') ;;
  --verify) verify=yes ;;
  *) echo "usage: scripts/release.sh [--verify]" >&2; exit 2 ;;
esac

bash "$root/scripts/install-deps.sh" --release

version=$(sed -n 's/^project(Quillon VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
deb=quillon_${version}_amd64.deb
zip=quillon-${version}-win32.zip
commit=$(git -C "$root" rev-parse HEAD)
if [ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ]; then
  echo "release: uncommitted changes are left out; building $commit" >&2
fi

# Every time stamp in the artifacts is the last commit's, and nothing of the
# machine's locale, time zone or umask gets into them.
export SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct)
export TZ=UTC LC_ALL=C.UTF-8
umask 022

# Clones the commit into $1 and builds the three artifacts in $1/out.
build_in() {
  local src=$1
  git clone --quiet --no-hardlinks "$root" "$src"
  git -C "$src" checkout --quiet --detach "$commit"
  mkdir -p "$src/out"

  # Linux: Debian's hardening flags (their prefix map names this clone, as
  # the project's own does), then the package.
  local cxxflags ldflags
  cxxflags="$(cd "$src" && DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CXXFLAGS)"
  cxxflags+=" $(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CPPFLAGS)"
  ldflags="$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get LDFLAGS)"
  (cd "$src" && cmake --preset release -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null)
  cmake --build "$src/build/release" -j2 --target quillon quillon-gui quillon_packaging_files
  (cd "$src/build/release" && cpack -G DEB >/dev/null)
  cp "$src/build/release/$deb" "$src/out/"

  # Windows: the shipped 32-bit program, checked before it is zipped.
  (cd "$src" && cmake --preset win32 >/dev/null)
  cmake --build "$src/build/win32" -j2 --target quillon
  python3 "$src/tests/resources/check_resources.py" --exe "$src/build/win32/quillon.exe" --shipped
  cp "$src/build/win32/quillon.exe" "$src/out/"
  python3 - "$src/out/$zip" "$src/build/win32/quillon.exe" "$src/packaging/README-windows.txt" <<'EOF'
# A zip whose bytes depend on its contents alone: fixed order, the commit's
# time, fixed modes. README.txt gets CRLF and a byte order mark for Notepad.
import os, sys, time, zipfile
out, exe, readme = sys.argv[1:]
stamp = time.gmtime(max(int(os.environ['SOURCE_DATE_EPOCH']), 315532800))[:6]
text = open(readme, encoding='utf-8').read().replace('\r\n', '\n')
entries = [('quillon.exe', open(exe, 'rb').read()),
           ('README.txt', b'\xef\xbb\xbf' + text.replace('\n', '\r\n').encode('utf-8'))]
with zipfile.ZipFile(out, 'w') as z:
    for name, data in entries:
        info = zipfile.ZipInfo(name, stamp)
        info.compress_type = zipfile.ZIP_DEFLATED
        info.create_system = 3
        info.external_attr = 0o100644 << 16
        z.writestr(info, data, compresslevel=9)
EOF
}

# Lintian's judgement of the package: errors and warnings fail the release. Its tags are
# shown, but not its complaint that it runs as root.
lint() {
  local report status=0
  report=$(lintian --fail-on error,warning --info "$1" 2>&1) || status=$?
  grep -vx 'running with root privileges is not recommended!' <<<"$report" >&2 || true
  if [ $status -ne 0 ]; then
    echo "release: lintian found errors or warnings in $(basename "$1")" >&2
    return 1
  fi
}

work=$(mktemp -d /tmp/quillon-release.XXXXXX)
trap 'rm -rf "$work"' EXIT
if [ -z "$verify" ]; then
  build_in "$work/quillon"
  out=$work/quillon/out
else
  build_in "$work/first/quillon"
  # Later, and deeper in another folder: neither may show in the artifacts.
  sleep 3
  build_in "$work/second/a/longer/path/quillon-$version"
  out=$work/first/quillon/out
  status=0
  for f in "$deb" "$zip" quillon.exe; do
    a=$(sha256sum <"$work/first/quillon/out/$f" | cut -d' ' -f1)
    b=$(sha256sum <"$work/second/a/longer/path/quillon-$version/out/$f" | cut -d' ' -f1)
    if [ "$a" = "$b" ]; then
      printf 'same       %s  %s\n' "$a" "$f"
    else
      printf 'DIFFERENT  %s  %s\n           %s\n' "$a" "$f" "$b"
      status=1
    fi
  done
  if [ $status -ne 0 ]; then
    echo "release: the two builds differ" >&2
    exit 1
  fi
  echo "release: both builds are byte for byte the same"
fi
lint "$out/$deb"

mkdir -p "$root/dist"
cp "$out/$deb" "$out/$zip" "$root/dist/"
(cd "$root/dist" && sha256sum "$deb" "$zip" >SHA256SUMS)
echo "release: $commit in $root/dist:"
(cd "$root/dist" && cat SHA256SUMS)
