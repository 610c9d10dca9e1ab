#!/usr/bin/env bash
# The library's defined dynamic symbols must be exactly the listed API.
set -eu
library=$1
expected=$2
# The linker's own section markers are not part of the API.
actual=$(nm -D --defined-only "$library" | awk '$2 ~ /^[TDBVWiu]$/ {print $3}' |
         grep -v -x -E '__bss_start|_edata|_end|_init|_fini' | sort)
if diff <(sort "$expected") <(printf '%s\n' "$actual"); then
  echo "exports match ($(wc -l < "$expected") symbols)"
else
  echo "FAILED: exported symbols differ from $expected (< expected, > exported)"
  exit 1
fi
