#!/usr/bin/env bash
# The library's defined dynamic symbols must be exactly the listed API.
set -eu
library=$1
expected=$2
actual=$(nm -D --defined-only "$library" | awk '$2 ~ /^[TDBVWiu]$/ {print $3}' | sort)
if diff <(sort "$expected") <(printf '%s\n' "$actual"); then
  echo "exports match ($(wc -l < "$expected") symbols)"
else
  echo "FAILED: exported symbols differ from $expected (< expected, > exported)"
  exit 1
fi
