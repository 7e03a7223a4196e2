#!/usr/bin/env bash
# Whole-process download comparison: `hvdetector download` (the whole Base road, its panel
# redrawn on a pseudo-terminal) and `hvdetector fetch` against `curl -o` on one large file from a
# fast loopback server, alternately, several rounds. Prints each round, the median throughput of
# each, their ratios, and each one's peak resident set size.
#
#   bench/fetch_vs_curl.sh                 256 MiB, 5 rounds, build/src/hvdetector
#   SIZE_MIB=1024 ROUNDS=3 bench/fetch_vs_curl.sh
#   HVDETECTOR=path/to/hvdetector bench/fetch_vs_curl.sh
set -euo pipefail
cd "$(dirname "$0")/.."
size_mib=${SIZE_MIB:-256}
rounds=${ROUNDS:-5}
hvdetector=$(realpath "${HVDETECTOR:-build/src/hvdetector}")
host=www.corvantis.example
[ -x "$hvdetector" ] || { echo "no $hvdetector: build first (scripts/test)" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time missing: run scripts/setup" >&2; exit 1; }
command -v script >/dev/null || { echo "script missing: run scripts/setup" >&2; exit 1; }

work=$(mktemp -d)
server=
cleanup() {
  [ -n "$server" ] && kill "$server" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/serve" "$work/out"
registry=$work/registry.reg
"$hvdetector" --registry "$registry" register >/dev/null
head -c $((size_mib << 20)) /dev/urandom >"$work/serve/file.bin"

python3 bench/sendfile_server.py "$work/serve" >"$work/port" &
server=$!
for _ in $(seq 100); do
  [ -s "$work/port" ] && break
  sleep 0.05
done
port=$(head -1 "$work/port")
url=http://$host/file.bin
connect=$host:80:127.0.0.1:$port

# Runs one client under /usr/bin/time through a runner (below); prints "seconds peak_kib".
measure() {
  local runner=$1 start end
  shift
  start=$(date +%s.%N)
  "$runner" /usr/bin/time -v -o "$work/time" "$@"
  end=$(date +%s.%N)
  local rss
  rss=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time")
  echo "$(python3 -c "print(f\"{$end - $start:.3f}\")") $rss"
  rm -f "$work/out"/*
}

direct() {
  "$@" >/dev/null
}
# `download` runs on a pseudo-terminal, as a user sees it, so the in-place panel is drawn.
on_terminal() {
  script -qec "$(printf '%q ' "$@")" /dev/null >/dev/null
}

printf '%-6s %-22s %-22s %-22s\n' round "download s (peak KiB)" "fetch s (peak KiB)" \
  "curl s (peak KiB)"
: >"$work/results"
for round in $(seq "$rounds"); do
  read -r download_s download_kib < <(measure on_terminal env TMPDIR="$work/out" "$hvdetector" \
    --registry "$registry" --connect-to "$connect" download "$url")
  read -r fetch_s fetch_kib < <(measure direct env TMPDIR="$work/out" "$hvdetector" --connect-to "$connect" fetch "$url")
  read -r curl_s curl_kib < <(measure direct curl -sS --connect-to "$connect" -o "$work/out/curl.bin" "$url")
  printf '%-6s %-22s %-22s %-22s\n' "$round" "$download_s ($download_kib)" \
    "$fetch_s ($fetch_kib)" "$curl_s ($curl_kib)"
  echo "$fetch_s $fetch_kib $curl_s $curl_kib $download_s $download_kib" >>"$work/results"
done

python3 - "$size_mib" "$work/results" <<'PY'
import statistics, sys
size = float(sys.argv[1])
rows = [list(map(float, line.split())) for line in open(sys.argv[2])]
fetch = statistics.median(size / r[0] for r in rows)
curl = statistics.median(size / r[2] for r in rows)
download = statistics.median(size / r[4] for r in rows)
print(f"median throughput: download {download:.0f} MiB/s, fetch {fetch:.0f} MiB/s, "
      f"curl {curl:.0f} MiB/s")
print(f"wall ratios: download/curl {curl / download:.2f}, download/fetch {fetch / download:.2f}, "
      f"fetch/curl {curl / fetch:.2f}")
print(f"peak RSS: download {max(r[5] for r in rows) / 1024:.1f} MiB, "
      f"fetch {max(r[1] for r in rows) / 1024:.1f} MiB, curl {max(r[3] for r in rows) / 1024:.1f} MiB")
PY
