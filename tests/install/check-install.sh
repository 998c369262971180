#!/usr/bin/env bash
# check-install.sh <cmake> <build-dir> <install-probe> <installed-helper-path> <version> <date>
#                  <web-module>
#
# Stages `cmake --install` of <build-dir> into a temporary DESTDIR and checks that it lays out
# exactly the program, the helper and the desktop files; that the desktop entry and the metainfo
# validate without a single remark, the metainfo's release entry being <version> of <date>; and
# that a program installed in bin/ resolves the helper installed beside it, and the compiled-in
# path when it runs anywhere else; that the program does not link the network library, which only
# <web-module> (its path under the prefix) loads.
set -euo pipefail

cmake=$1
build=$2
probe=$3
installed_helper=$4
version=$5
release_date=$6
web_module=$7
prefix=/usr/local

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

work=$(mktemp -d "${TMPDIR:-/tmp}/zarn-install.XXXXXX")
trap 'rm -rf "$work"' EXIT
stage=$work/stage

if ! DESTDIR=$stage "$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
  cat "$work/install.log" >&2
  echo "FAIL: cmake --install failed" >&2
  exit 1
fi

# Exactly these files, nothing else: no test programs, no static libraries, no headers.
expected=$(printf '%s\n' \
  "$prefix/bin/zarn" \
  "$prefix/libexec/zarn/zarn-shutdown" \
  "$prefix/$web_module" \
  "$prefix/share/applications/zarn.desktop" \
  "$prefix/share/icons/hicolor/scalable/apps/zarn.svg" \
  "$prefix/share/metainfo/zarn.metainfo.xml" \
  "$prefix/share/man/man1/zarn.1.gz" \
  "$prefix/share/man/man8/zarn-shutdown.8.gz" \
  "$prefix/share/doc/zarn/changelog.gz" \
  "$prefix/share/doc/zarn/copyright" \
  $(printf "$prefix/share/locale/%s/LC_MESSAGES/zarn.mo " de es fr it ja pl pt_BR zh_CN) | sort)
actual=$(cd "$stage" && find . ! -type d | sed 's|^\.||' | sort)
if [ "$expected" != "$actual" ]; then
  fail "installed files differ from the expected layout"
  diff <(echo "$expected") <(echo "$actual") >&2 || true
fi

for program in bin/zarn libexec/zarn/zarn-shutdown; do
  if [ -e "$stage$prefix/$program" ]; then
    mode=$(stat -c %a "$stage$prefix/$program")
    [ "$mode" = 755 ] || fail "$program has mode $mode, not 755"
  fi
done

# The network stack loads with the version check's module only, never at the program's start.
needed() { readelf -d "$1" 2>/dev/null | grep -o 'Shared library: \[[^]]*\]'; }
if [ -e "$stage$prefix/bin/zarn" ] && [ -e "$stage$prefix/$web_module" ]; then
  needed "$stage$prefix/bin/zarn" | grep -q Qt6Network && fail "bin/zarn links libQt6Network"
  needed "$stage$prefix/$web_module" | grep -q Qt6Network || fail "$web_module lacks libQt6Network"
  mode=$(stat -c %a "$stage$prefix/$web_module")
  [ "$mode" = 644 ] || fail "$web_module has mode $mode, not 644"
fi

desktop=$stage$prefix/share/applications/zarn.desktop
if command -v desktop-file-validate >/dev/null 2>&1; then
  # It prints only what it finds wrong; a hint (two main categories, say) fails too.
  if ! out=$(desktop-file-validate "$desktop" 2>&1) || [ -n "$out" ]; then
    fail "desktop-file-validate: $out"
  fi
else
  echo "SKIP: desktop-file-validate is not installed (desktop-file-utils)"
fi
grep -qx 'Exec=zarn' "$desktop" || fail "the desktop entry does not start zarn"
grep -qx 'Icon=zarn' "$desktop" || fail "the desktop entry does not name the zarn icon"

metainfo=$stage$prefix/share/metainfo/zarn.metainfo.xml
if command -v appstreamcli >/dev/null 2>&1; then
  # Every remark is a line "E:", "W:", "I:" or "P:" (pedantic); none may appear.
  if ! out=$(XDG_CACHE_HOME=$work/cache appstreamcli validate --pedantic --no-net "$metainfo" 2>&1) \
    || grep -Eq '^[EWIP]: ' <<<"$out"; then
    fail "appstreamcli validate: $out"
  fi
else
  echo "SKIP: appstreamcli is not installed (appstream)"
fi
grep -q '<launchable type="desktop-id">zarn.desktop</launchable>' "$metainfo" \
  || fail "the metainfo does not launch zarn.desktop"
grep -q '@[A-Za-z_]*@' "$metainfo" && fail "the metainfo still holds unreplaced @VARIABLES@"
grep -qF "<release version=\"$version\" date=\"$release_date\"/>" "$metainfo" \
  || fail "the metainfo's release entry is not $version of $release_date"

if command -v xmllint >/dev/null 2>&1; then
  xmllint --noout "$stage$prefix/share/icons/hicolor/scalable/apps/zarn.svg" \
    || fail "the icon is not well-formed XML"
fi

# The probe stands in for the installed zarn: the same library call from the same folder.
cp "$probe" "$stage$prefix/bin/zarn-install-probe"
out=$("$stage$prefix/bin/zarn-install-probe")
want="shutdownProgram '$stage$prefix/libexec/zarn/zarn-shutdown'"
grep -qxF "$want" <<<"$out" || fail "installed layout: expected '$want', got: $out"
want="probe '$stage$prefix/libexec/zarn/zarn-shutdown' --show"
grep -qxF "$want" <<<"$out" || fail "installed layout: expected '$want', got: $out"

# Without a helper beside it or in ../libexec/zarn, the program falls back to the compiled-in path.
mkdir -p "$work/elsewhere/bin"
cp "$probe" "$work/elsewhere/bin/zarn-install-probe"
out=$("$work/elsewhere/bin/zarn-install-probe")
want="shutdownProgram '$installed_helper'"
grep -qxF "$want" <<<"$out" || fail "outside the layout: expected '$want', got: $out"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "install layout: all checks passed"
