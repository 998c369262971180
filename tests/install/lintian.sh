#!/usr/bin/env bash
# lintian.sh <zarn .deb>
#
# Debian's own checker on the package, run as an ordinary user (lintian warns about root) with
# its pedantic checks: any error, warning or pedantic remark fails. Information stays quiet.
set -euo pipefail

deb=$1
# In /tmp, not $TMPDIR, and run from there: the ordinary user must reach the folder.
work=$(mktemp -d /tmp/zarn-lintian.XXXXXX)
trap 'rm -rf "$work"' EXIT
chmod 0755 "$work"
install -m 0644 "$deb" "$work/"
deb=$(basename "$deb")
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  as_user=(runuser -u nobody --)
fi
status=0
cd "$work"
out=$("${as_user[@]}" env HOME="$work" TMPDIR=/tmp \
        lintian --pedantic --fail-on error,warning,pedantic "$work/$deb" 2>&1) || status=$?
if [ "$status" -ne 0 ] || grep -Eq '^[EWP]: ' <<<"$out"; then
  echo "$out" >&2
  echo "FAIL: lintian --pedantic on $deb (exit $status)" >&2
  exit 1
fi
echo "lintian --pedantic: $deb passes${out:+; it says only:}"
[ -z "$out" ] || echo "$out"
