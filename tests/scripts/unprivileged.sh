#!/bin/sh
# Runs a program as an unprivileged user: as it is, when it already runs as one; under root, as a
# throwaway user and group no account holds, with no capabilities and a scratch folder of its own
# as TMPDIR, so that a test of what permission bits refuse is not passed over in a run as root.
# A program that user cannot reach (a checkout under /root) runs from a copy in the scratch folder.
#   unprivileged.sh PROGRAM [ARGUMENT]...
set -eu
[ "$(id -u)" -eq 0 ] || exec "$@"
nobody=2147483000
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
chown "$nobody:$nobody" "$scratch"
as_nobody() {
  TMPDIR=$scratch setpriv --reuid="$nobody" --regid="$nobody" --clear-groups --inh-caps=-all \
    --bounding-set=-all -- "$@"
}
program=$1
shift
if ! as_nobody test -x "$program"; then
  cp "$program" "$scratch/"
  program=$scratch/$(basename "$program")
  chown "$nobody:$nobody" "$program"
fi
as_nobody "$program" "$@"
