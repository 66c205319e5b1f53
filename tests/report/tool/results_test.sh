#!/usr/bin/env bash
# scripts/results on a copy of docs/results with one report more, which holds
# the processor's identity and a busy SMT sibling: a row per report, each
# naming its microarchitecture (else the counter rate) and whether the other
# processors were idle.
#   results_test.sh CALLBENCH_REPORT SOURCE_ROOT
set -euo pipefail
tool=$1
root=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/scripts" "$work/docs/results"
cp "$root/scripts/results" "$work/scripts/"
cp "$root"/docs/results/*.json "$work/docs/results/"
jq '.label = "with identity" | .series[0].label = "with identity" |
  .series[0].conditions.processor.identity = {vendor: "AuthenticAMD", signature: "0xa00f11", family: 25,
    model: 1, stepping: 1, microcode: "0xa0011d1", microarchitecture: "Zen 3"} |
  .series[0].conditions.load_before = [0.1, 0.1, 0.1] | .series[0].conditions.load_after = [1.2, 0.5, 0.2] |
  (.series[0].conditions.checks[] | select(.key == "smt_sibling")) |= (.status = "not fit")' \
  "$root/docs/results/amd-epyc-zen4-kvm-2026-12-09.json" > "$work/docs/results/zz-identity.json"

table=$("$work/scripts/results" --print "$tool")
fail() {
  printf 'results_test: %s\n%s\n' "$1" "$table" >&2
  exit 1
}
reports=("$work"/docs/results/*.json)
rows=$(printf '%s\n' "$table" | grep -c '^|')
[ "$rows" -eq $((${#reports[@]} + 2)) ] || fail "expected a heading, a rule and a row per report"
printf '%s\n' "$table" | awk -F'|' 'NF != 14 { exit 1 }' || fail "a row without 12 cells"
for row in \
  '| AMD EPYC (KVM), 2 cores | AMD EPYC | unknown (counter 2.445 GHz) | no (load 1.35 before, 0.97 after) | 40 |' \
  '| AMD EPYC | unknown (counter 2.595 GHz) | yes (load 0.16 before, 0.27 after) | 40 |' \
  '| with identity | AMD EPYC, family 25 model 1 stepping 1, microcode 0xa0011d1 | Zen 3 | no (load 0.10 before, 1.20 after; SMT sibling busy) | 40 |'; do
  printf '%s\n' "$table" | grep -qF -- "$row" || fail "no row holds: $row"
done
echo "results_test: ${#reports[@]} rows as expected"
