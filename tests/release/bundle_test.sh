#!/usr/bin/env bash
# Unpacks a bundle made by scripts/package in an empty folder and runs its
# callbench-report there with nothing around it: no PATH, no environment (Wine
# gets HOME and WINEDEBUG). Two runs of the benchmark beside it must succeed,
# and the report must name that benchmark by the SHA-256 in SHA256SUMS.
# Usage: bundle_test.sh ARCHIVE; exits 77 (skipped) where Wine cannot run 32-bit programs.
set -euo pipefail
archive=$1
fail() { echo "FAIL: $*" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
case "$archive" in
  *.tar.gz)
    name=$(basename "$archive" .tar.gz)
    tar -xzf "$archive" -C "$work"
    files="README.txt SHA256SUMS callbench callbench-report"
    benchmark=callbench
    run=(env -i ./callbench-report)
    ;;
  *.zip)
    name=$(basename "$archive" .zip)
    unzip -q "$archive" -d "$work"
    files="README.txt SHA256SUMS callbench-report.exe callbench.exe"
    benchmark=callbench.exe
    run=(env -i HOME="$HOME" WINEDEBUG=-all "$(command -v wine)" ./callbench-report.exe)
    ;;
  *) fail "not a bundle: $archive" ;;
esac
cd "$work"
[ "$(ls -A)" = "$name" ] || fail "the archive holds $(ls -A | tr '\n' ' ')rather than one folder $name"
cd "$name"
[ "$(LC_ALL=C ls -A | tr '\n' ' ')" = "$files " ] || fail "$name holds $(ls -A | tr '\n' ' ')rather than $files"
sha256sum --quiet -c SHA256SUMS || fail "SHA256SUMS does not match the files"

case "$benchmark" in
  callbench)
    # A dynamic loader would tie the tool to this machine's libraries.
    ! readelf -lW callbench-report | grep -q INTERP || fail "callbench-report is not statically linked"
    ;;
  callbench.exe)
    # Wine without wine32 starts a 32-bit program, prints nothing and exits 0.
    version=$("${run[@]}" --version 2>/dev/null || true)
    wine=$(env -u WINEDEBUG wine --version 2>&1 || true)
    if [ -z "$version" ] && [[ $wine == *"wine32 is missing"* ]]; then
      echo "SKIPPED: this Wine cannot run 32-bit programs (wine32 is missing)"
      exit 77
    fi
    ;;
esac

status=0
timeout 300 "${run[@]}" --runs 2 --json r.json >table.txt 2>errors.txt || status=$?
[ "$status" -eq 0 ] || fail "callbench-report exited with $status: $(cat errors.txt)"
[ -s r.json ] || fail "callbench-report wrote no report: $(cat table.txt errors.txt)"
expected=$(sed -n "s/^\([0-9a-f]\{64\}\)  $benchmark\$/\1/p" SHA256SUMS)
reported=$(jq -r '[.series[].benchmark.sha256] | join(" ")' r.json)
[ "$reported" = "$expected" ] || fail "the report names benchmark $reported, SHA256SUMS $expected"
[ "$(jq '.series[0].runs_valid' r.json)" = 2 ] || fail "not 2 valid runs: $(cat table.txt errors.txt)"
echo "$name: 2 runs of $benchmark, sha256 $reported"
