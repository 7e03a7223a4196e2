#!/bin/sh
# Runs a command as an unprivileged user: as it is, when it already runs as one; under root, as a
# throwaway user and group no account holds, with no capabilities and a scratch folder of its own
# as TMPDIR, so that a test of what permission bits refuse is not passed over in a run as root.
set -eu
[ "$(id -u)" -eq 0 ] || exec "$@"
nobody=2147483000
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
chown "$nobody:$nobody" "$scratch"
TMPDIR=$scratch setpriv --reuid="$nobody" --regid="$nobody" --clear-groups --inh-caps=-all \
  --bounding-set=-all -- "$@"
