#!/usr/bin/env bash
# Builds the four shipped programs and the two bundles again from a copy of the
# sources in another folder, later, and compares them byte for byte with the
# presets' builds and their bundles: neither the source and build paths nor the
# time may reach the bytes. Only what ships is built again.
# Usage: rebuild_test.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
fail() { echo "FAIL: $*" >&2; exit 1; }

# The bundles' programs, as scripts/test leaves them; scripts/package brings
# them up to date.
programs=(linux-i386/callbench win32/callbench.exe win32/callbench-report.exe host/callbench-report)
cd "$source_dir"
work=$(mktemp -d "${TMPDIR:-/tmp}/callbench-rebuild.XXXXXX")
trap 'rm -rf "$work"' EXIT
# Both bundles dated alike, as by a release pipeline; the copy is no git checkout.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH
scripts/package --out "$work/dist" >/dev/null
copy=$work/somewhere/else/callbench
mkdir -p "$copy"
tar -C "$source_dir" --exclude=./.git --exclude=./build --exclude=./dist --exclude=./fleet-\* \
  --exclude=node_modules -cf - . |
  tar -C "$copy" -xf -
# The chart scripts are an input like a compiler: the copy uses the same ones.
modules=-DCALLBENCH_CHART_MODULES=$source_dir/tools/report/write/html/node_modules
cd "$copy"
cmake --preset linux-i386 -DCALLBENCH_TESTS=OFF >/dev/null
cmake --preset win32 -DCALLBENCH_TESTS=OFF "$modules" >/dev/null
cmake --preset host -DCALLBENCH_PROGRAM_TESTS=OFF "$modules" >/dev/null
scripts/package --out "$copy/dist" >/dev/null

differ=0
for file in "${programs[@]/#/build/}" $(cd "$work" && ls dist/*); do
  case "$file" in
    build/*) original=$source_dir/$file ;;
    *) original=$work/$file ;;
  esac
  again=$copy/$file
  if cmp -s "$original" "$again"; then
    echo "same: $file $(sha256sum <"$again" | cut -c1-64)"
  else
    echo "DIFFERENT: $original and $again; first differing bytes:" >&2
    cmp -l "$original" "$again" 2>&1 | head -5 >&2 || true
    differ=1
  fi
done
[ "$differ" -eq 0 ] || fail "a rebuild elsewhere gave other bytes"
