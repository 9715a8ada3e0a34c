#!/usr/bin/env bash
# The layer check passes a tree that keeps the order and fails each kind of violating include.
set -euo pipefail
check="$1"
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

put() {  # put FILE INCLUDE...
  local file="$root/$1"
  shift
  mkdir -p "$(dirname "$file")"
  : >"$file"
  for include in "$@"; do echo "#include \"$include\"" >>"$file"; done
}

expect() {  # expect PASS|FAIL WHAT
  local want="$1" what="$2" got=PASS
  "$check" "$root" >"$root/out" 2>&1 || got=FAIL
  if [ "$got" != "$want" ]; then
    echo "FAILED: $what: expected $want, got $got"
    cat "$root/out"
    exit 1
  fi
  echo "ok: $what"
}

put base/Format.h
put decoder/Geodesy.cpp "base/Format.h" "decoder/Geodesy.h" "tests/anything.h"
put map/ui/MapView.cpp "map/io/TileLoader.h" "aprs/AprsSonde.h" "decoder/Geodesy.h" "base/ui/QtText.h"
put app/ui/MainForm.cpp "map/ui/MapView.h" "gps/io/GpsIo.h"
put cli/main.cpp "app/ReceiveChain.h"
expect PASS "a tree in layer order"

for bad in "decoder/Bad.cpp app/Format.h|a lower subsystem includes a higher one" \
           "aprs/Bad.h gps/GpsText.h|a station subsystem includes a peer" \
           "records/Bad.cpp records/io/SaveGpsFile.h|core includes its own io layer" \
           "map/io/Bad.cpp signal/ui/AudioSignalMonitor.h|io includes a lower subsystem's ui"; do
  spec="${bad%%|*}"
  what="${bad#*|}"
  read -r file include <<<"$spec"
  put "$file" "$include"
  expect FAIL "$what"
  rm "$root/$file"
done
expect PASS "the tree again, violations removed"
