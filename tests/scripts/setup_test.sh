#!/usr/bin/env bash
# Runs scripts/setup against stand-ins for apt-get, dpkg and dpkg-query on a mirror whose
# `apt-get update` always fails and which cannot serve one group: setup must install every group
# it can, name the one it could not with apt's reason, and exit by whether the build-and-test
# group is installed. No network, no root, nothing installed for real.
#   setup_test.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir "$scratch/bin"
cat >"$scratch/bin/dpkg-query" <<'STAND_IN'
#!/bin/sh
# dpkg-query -W -f=FORMAT PACKAGE
grep -qx -- "$3" "$STATE/installed" && printf 'install ok installed' && exit 0
exit 1
STAND_IN
cat >"$scratch/bin/dpkg" <<'STAND_IN'
#!/bin/sh
case $1 in
  --print-foreign-architectures) cat "$STATE/architectures" ;;
  --add-architecture) echo "$2" >>"$STATE/architectures" ;;
esac
STAND_IN
cat >"$scratch/bin/apt-get" <<'STAND_IN'
#!/bin/sh
echo "apt-get $*" >>"$STATE/calls"
if [ "$1" = update ]; then
  echo "E: Failed to fetch http://mirror/Packages.xz  File has unexpected size. Mirror sync in progress?"
  exit 100
fi
for p in "$@"; do
  if grep -qx -- "$p" "$STATE/unservable"; then
    echo "E: Unable to correct problems, you have held broken packages."
    exit 100
  fi
done
for p in "$@"; do case $p in -*|install) ;; *) echo "$p" >>"$STATE/installed" ;; esac; done
STAND_IN
printf '#!/bin/sh\n' >"$scratch/bin/sleep"
chmod +x "$scratch/bin"/*

# unservable package | setup's exit status | the summary line that must be printed
cases=(
  "wine32:i386|0|setup: wine32: not installed: Unable to correct problems, you have held broken packages."
  "cmake|1|setup: build-and-test: not installed: Unable to correct problems, you have held broken packages."
)
for row in "${cases[@]}"; do
  IFS='|' read -r unservable want_status want_line <<<"$row"
  export STATE=$scratch/state
  rm -rf "$STATE" && mkdir "$STATE"
  touch "$STATE/installed" "$STATE/architectures" "$STATE/calls"
  echo "$unservable" >"$STATE/unservable"
  status=0
  PATH="$scratch/bin:$PATH" bash "$source_dir/scripts/setup" >"$scratch/out" 2>"$scratch/err" || status=$?
  [ "$status" = "$want_status" ] || fail "$unservable unservable: exit $status, not $want_status"
  grep -qxF -- "$want_line" "$scratch/out" || fail "$unservable unservable: no line '$want_line' in: $(cat "$scratch/out")"
  [ "$(grep -c '^setup: .*: installed$' "$scratch/out")" = 4 ] ||
    fail "$unservable unservable: the other four groups are not all installed: $(cat "$scratch/out")"
  grep -q "could not install the .* group.*$unservable" "$scratch/err" ||
    fail "$unservable unservable: standard error does not name it: $(cat "$scratch/err")"
  [ "$(grep -c '^apt-get update' "$STATE/calls")" -ge 2 ] || fail "a failed update was not retried"
  grep -qx i386 "$STATE/architectures" || fail "the i386 architecture was not added"
done
echo "setup installs what it can on a half-broken mirror"
