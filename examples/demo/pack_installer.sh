#!/bin/sh
# Builds the demo's installer: the script TEMPLATE, told the size and checksum of PAYLOAD, with
# PAYLOAD appended after its last line. Usage: pack_installer.sh TEMPLATE PAYLOAD OUTPUT
set -eu
template=$1 payload=$2 output=$3
bytes=$(wc -c <"$payload")
sha256=$(sha256sum <"$payload" | cut -d' ' -f1)
sed -e "s/@PAYLOAD_BYTES@/$bytes/" -e "s/@PAYLOAD_SHA256@/$sha256/" "$template" >"$output.part"
cat "$payload" >>"$output.part"
mv -f "$output.part" "$output"
