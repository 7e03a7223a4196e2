#!/usr/bin/env bash
# Whole-process download comparison: `hvdetector fetch` against `curl -o` on one large file from
# a fast loopback server, alternately, several rounds. Prints each round, the median throughput
# of each, their ratio, and each one's peak resident set size.
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

work=$(mktemp -d)
server=
cleanup() {
  [ -n "$server" ] && kill "$server" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/serve" "$work/out"
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

# Runs one client under /usr/bin/time; prints "seconds peak_kib".
measure() {
  local start end
  start=$(date +%s.%N)
  /usr/bin/time -v -o "$work/time" "$@" >/dev/null
  end=$(date +%s.%N)
  local rss
  rss=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time")
  echo "$(python3 -c "print(f\"{$end - $start:.3f}\")") $rss"
  rm -f "$work/out"/*
}

printf '%-6s %-22s %-22s\n' round "fetch s (peak KiB)" "curl s (peak KiB)"
: >"$work/results"
for round in $(seq "$rounds"); do
  read -r fetch_s fetch_kib < <(measure env TMPDIR="$work/out" "$hvdetector" --connect-to "$connect" fetch "$url")
  read -r curl_s curl_kib < <(measure curl -sS --connect-to "$connect" -o "$work/out/curl.bin" "$url")
  printf '%-6s %-22s %-22s\n' "$round" "$fetch_s ($fetch_kib)" "$curl_s ($curl_kib)"
  echo "$fetch_s $fetch_kib $curl_s $curl_kib" >>"$work/results"
done

python3 - "$size_mib" "$work/results" <<'PY'
import statistics, sys
size = float(sys.argv[1])
rows = [list(map(float, line.split())) for line in open(sys.argv[2])]
fetch = statistics.median(size / r[0] for r in rows)
curl = statistics.median(size / r[2] for r in rows)
print(f"median throughput: fetch {fetch:.0f} MiB/s, curl {curl:.0f} MiB/s, ratio {fetch / curl:.2f}")
print(f"peak RSS: fetch {max(r[1] for r in rows) / 1024:.1f} MiB, curl {max(r[3] for r in rows) / 1024:.1f} MiB")
PY
