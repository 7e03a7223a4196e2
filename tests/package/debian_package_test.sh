#!/usr/bin/env bash
# Makes the Debian packages of a build in a scratch folder, checks what the host's package holds
# and declares, unpacks it into a scratch root and runs the host from there, and has lintian
# judge both packages when it is installed.
#   debian_package_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1 version=$2
for tool in dpkg-deb dpkg-shlibdeps; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: $tool is not installed (scripts/setup installs it)"
    exit 77
  fi
done
if [ ! -f "$build/hvdetector.1.gz" ]; then
  echo "skipped: no manual page in this build (help2man was not found when it was configured)"
  exit 77
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; exit 1; }
arch=$(dpkg --print-architecture)
deb="$scratch/out/hvdetector_${version}_${arch}.deb"
dev="$scratch/out/hvdetector-dev_${version}_${arch}.deb"
policy="$scratch/out/hvdetector-browser-policy_${version}_all.deb"
for f in "$deb" "$dev" "$policy"; do
  [ -f "$f" ] || { echo "FAIL: no $(basename "$f"); made: $(ls "$scratch/out")" >&2; exit 1; }
done

fail() { echo "FAIL: $*" >&2; exit 1; }
files=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./|/|')
outside=$(grep -v '^/$' <<<"$files" | grep -v '^/usr/' || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"
for wanted in /usr/bin/hvdetector /usr/lib/hvdetector/hvdetector-messaging-host \
  /usr/share/man/man1/hvdetector.1.gz /usr/share/man/man1/hvdetector-messaging-host.1.gz \
  /usr/share/hvdetector/registry/halverine.reg \
  /usr/share/hvdetector/registry/hvdetector-registration.reg /usr/share/doc/hvdetector/copyright \
  /usr/share/doc/hvdetector/changelog.gz /usr/share/hvdetector/extension/manifest.json \
  /usr/share/hvdetector/extension/background.js /usr/share/hvdetector/page/hvdetector.js; do
  grep -qx -- "$wanted" <<<"$files" || fail "$wanted is not in the package"
done
! grep -q '^/usr/include/\|\.a$\|/cmake/' <<<"$files" || fail "development files in the host's package"
dev_files=$(dpkg-deb --fsys-tarfile "$dev" | tar -t | sed 's|^\./|/|')
for wanted in /usr/include/hvdetector/runtime/text.h /usr/share/doc/hvdetector-dev/copyright; do
  grep -qx -- "$wanted" <<<"$dev_files" || fail "$wanted is not in the development package"
done
grep -q 'HVDetectorConfigVersion.cmake$' <<<"$dev_files" || fail "no package version file"

# The policies go where Debian's browsers read them, as files the administrator may change;
# Chromium's only when the build has the vendor's key.
policy_files=$(dpkg-deb --fsys-tarfile "$policy" | tar -t | sed 's|^\./|/|' | grep '\.json$' | sort)
wanted_policies=/etc/firefox/policies/policies.json
if [ -f "$build/browser/policies/chromium.json" ]; then
  wanted_policies+=$'\n'/etc/chromium/policies/managed/com.corvantis.hvdetector.json
fi
[ "$policy_files" = "$(sort <<<"$wanted_policies")" ] || fail "the policy package holds: $policy_files"
[ "$(dpkg-deb --ctrl-tarfile "$policy" | tar -xO ./conffiles | sort)" = "$(sort <<<"$wanted_policies")" ] ||
  fail "the policies are not all conffiles"
! grep -q '^/etc/.*/policies/' <<<"$files" || fail "browsers' policies in the host's package"

depends=$(dpkg-deb --field "$deb" Depends)
for library in libc6 libcurl libstdc++6; do
  grep -q "$library" <<<"$depends" || fail "Depends does not name $library: $depends"
done

dpkg -x "$deb" "$scratch/root"
host="$scratch/root/usr/bin/hvdetector"
first=$("$host" --version | head -1)
[ "$first" = "hvdetector 1.04.0008" ] || fail "--version says: $first"
HOME="$scratch" "$host" describe >"$scratch/describe.txt" || fail "describe failed"
grep -q '^library HVDetector ' "$scratch/describe.txt" || fail "describe printed no library"
# The sample store is a machine with the control registered, so detect works on it as it stands.
sample="$scratch/root/usr/share/hvdetector/registry"
"$host" --registry "$sample" detect >"$scratch/detect.txt" || fail "detect on the sample store failed"
grep -q 'Participant' "$scratch/detect.txt" || fail "detect on the sample store: $(cat "$scratch/detect.txt")"

if command -v lintian >/dev/null; then
  lintian --fail-on error,warning "$deb" "$dev" "$policy" || fail "lintian"
else
  echo "lintian is not installed: the packages were not judged by it"
fi
echo "packages made, unpacked and run: Depends: $depends"
