#!/usr/bin/env bash
# command-lines.sh <zarn> <zarn-shutdown> <version>
#
# What each program answers in a terminal with no display at all: the exit status and the first
# line it prints (standard output, else standard error). --show finds no task on this machine:
# the real helper only reads its task folder, and nothing here schedules one (a machine where
# the installed Zarn has a task waiting fails those rows).
set -uo pipefail

zarn=$1
helper=$2
version=$3
failures=0

# A zarn whose helper beside it fails as a missing program does in the shell.
work=$(mktemp -d "${TMPDIR:-/tmp}/zarn-command-lines.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp "$zarn" "$work/zarn"
printf '#!/bin/sh\nexit 127\n' >"$work/zarn-shutdown"
chmod 0755 "$work/zarn-shutdown"

check() { # <status> <first line> <program> <arguments...>
  local want_status=$1 want_line=$2 status out
  shift 2
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 20 "$@" 2>&1 </dev/null)
  status=$?
  if [ "$status" != "$want_status" ] || [ "$(head -n 1 <<<"$out")" != "$want_line" ]; then
    echo "FAIL: $(basename "$1") ${*:2}: exit $status, first line '$(head -n 1 <<<"$out")';" \
         "expected exit $want_status, '$want_line'" >&2
    failures=$((failures + 1))
  fi
}

check 0 "Usage: zarn [options]"              "$zarn" --help
check 0 "Usage: zarn [options]"              "$zarn" -h
check 0 "Zarn $version"                  "$zarn" --version
check 2 "zarn: Unknown option 'bogus'. Try 'zarn --help'." "$zarn" --bogus
check 2 "zarn: unexpected argument 'now'. Try 'zarn --help'." "$zarn" now
check 1 "zarn: no task is scheduled"         "$zarn" --show
check 2 "zarn: '$work/zarn-shutdown' --show failed (exit status 127)" "$work/zarn" --show
check 0 "Zarn $version"  "$zarn" -platform offscreen -style fusion -reverse --version
check 0 "usage: zarn-shutdown -h|-r|-s yyMMddHHmm | -c pid | --show | --help | --version" \
                                             "$helper" --help
check 0 "zarn-shutdown $version"         "$helper" --version
check 64 "usage: zarn-shutdown -h|-r|-s yyMMddHHmm | -c pid | --show | --help | --version" \
                                             "$helper" --bogus
check 1 ""                                   "$helper" --show

[ "$failures" -eq 0 ] || exit 1
echo "command lines: all checks passed"
