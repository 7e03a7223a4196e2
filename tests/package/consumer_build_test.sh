#!/usr/bin/env bash
# Installs the development component of a build into a scratch prefix, then configures and
# builds a small consumer against it with find_package alone, and runs it.
#   consumer_build_test.sh BUILD_DIR CXX_COMPILER [LINK_FLAGS]
set -euo pipefail
build=$1 compiler=$2 flags=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cmake --install "$build" --prefix "$scratch/prefix" --component development >/dev/null
# Nothing of the host or of the sources comes along.
if [ -e "$scratch/prefix/bin" ] || [ -d "$scratch/prefix/include/hvdetector/host" ]; then
  echo "FAIL: the development component installs the host" >&2
  exit 1
fi

configure() {
  cmake -S "$here/consumer" -B "$scratch/$1" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_COMPILER="$compiler" -DCMAKE_EXE_LINKER_FLAGS="$flags" \
    -DCMAKE_PREFIX_PATH="$scratch/prefix" -DHVDETECTOR_WANTED="$2"
}

configure build 1.4 >"$scratch/configure.log" 2>&1 || { cat "$scratch/configure.log"; exit 1; }
cmake --build "$scratch/build" >"$scratch/build.log" 2>&1 || { cat "$scratch/build.log"; exit 1; }

core=$("$scratch/build/core_consumer")
[ "$core" = "domain as configured, checks hosts" ] || { echo "FAIL: core consumer said: $core" >&2; exit 1; }
posix=$("$scratch/build/posix_consumer" "$here/../../examples/registry")
case "$posix" in
  "libcurl "*$'\n'"the store reads") ;;
  *) echo "FAIL: posix consumer said: $posix" >&2; exit 1 ;;
esac

# A version the installed library does not satisfy is refused at configure time.
for wanted in 1.5 2.0; do
  if configure "wants-$wanted" "$wanted" >"$scratch/refused.log" 2>&1; then
    echo "FAIL: find_package(HVDetector $wanted) accepted version 1.4.0.8" >&2
    exit 1
  fi
  grep -q "compatible with requested version \"$wanted\"" "$scratch/refused.log" || { cat "$scratch/refused.log"; exit 1; }
done
echo "consumer built and ran against the installed tree"
