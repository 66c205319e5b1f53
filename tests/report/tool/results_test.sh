#!/usr/bin/env bash
# scripts/results on copies of docs/results: several reports of one machine
# become one pooled row, a machine of one report keeps its own figures, each
# row names its microarchitecture (else the counter rate) and whether the other
# processors were idle, and only the table between the README's markers changes.
#   results_test.sh CALLBENCH_REPORT SOURCE_ROOT
set -euo pipefail
tool=$1
root=$2
command -v jq >/dev/null || { echo "jq is missing" >&2; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/scripts" "$work/docs/results"
cp "$root/scripts/results" "$work/scripts/"
printf 'before\n<!-- results:start -->\nold table\n<!-- results:end -->\nafter\n' > "$work/README.md"

# The first EPYC's 40 runs as three reports (13, 13 and 14 runs), as if made at
# three times; only the second records the processor's identity, which the row shows.
epyc=$root/docs/results/amd-epyc-kvm-2026-12-09.json
for part in "0 13" "13 26" "26 40"; do
  read -r from to <<<"$part"
  jq --argjson from "$from" --argjson to "$to" '.series[0].runs |= .[$from:$to] |
    if $from == 13 then .series[0].conditions.processor.identity = {vendor: "AuthenticAMD", signature: "0x830f10",
      family: 23, model: 49, stepping: 0, microcode: "0x830107a", microarchitecture: "Zen 2"} else . end' \
    "$epyc" > "$work/docs/results/epyc-$from.json"
done
cp "$root/docs/results/intel-xeon-kvm-2026-12-09.json" "$work/docs/results/"
# One that holds the processor's identity, with a busy SMT sibling.
jq '.label = "with identity" | .series[0].label = "with identity" |
  .series[0].conditions.processor.identity = {vendor: "AuthenticAMD", signature: "0xa00f11", family: 25,
    model: 1, stepping: 1, microcode: "0xa0011d1", microarchitecture: "Zen 3"} |
  .series[0].conditions.load_before = [0.1, 0.1, 0.1] | .series[0].conditions.load_after = [1.2, 0.5, 0.2] |
  (.series[0].conditions.checks[] | select(.key == "smt_sibling")) |= (.status = "not fit")' \
  "$root/docs/results/amd-epyc-zen4-kvm-2026-12-09-2018.json" > "$work/docs/results/zz-identity.json"

fail() { echo "results_test: $*" >&2; cat "$work/README.md" >&2; exit 1; }
"$work/scripts/results" "$tool" > "$work/said.txt"
grep -qx 'scripts/results: 5 reports of 3 machines in the README'"'"'s table' "$work/said.txt" || fail "$(cat "$work/said.txt")"
[ "$(head -n 2 "$work/README.md")" = "$(printf 'before\n<!-- results:start -->')" ] || fail "the text before the table changed"
[ "$(tail -n 2 "$work/README.md")" = "$(printf '<!-- results:end -->\nafter')" ] || fail "the text after the table changed"
grep -q '^| Machine | Processor | Microarchitecture | Others idle | Reports | Runs | ' "$work/README.md" || fail "no header"
[ "$(grep -c '^| [AIw]' "$work/README.md")" = 3 ] || fail "not one row per machine"
awk -F' [|] ' '/^\| [AIw]/ && NF != 13 { exit 1 }' "$work/README.md" || fail "a row without 13 cells"
# The pooled row: three reports, every run, figures with intervals and verdicts.
row=$(grep -F '| AMD EPYC (KVM), 2 cores | AMD EPYC, family 23 model 49 stepping 0, microcode 0x830107a | Zen 2 | 0 of 3 reports | 3 | 40 | ' \
  "$work/README.md") || fail "no pooled EPYC row"
grep -Eq '\| [0-9]+\.[0-9]{2} \[[0-9]+\.[0-9]{2}, [0-9]+\.[0-9]{2}\] (slower|faster|equivalent|inconclusive) \|$' <<<"$row" ||
  fail "the EPYC row's last ratio is not an interval and a verdict"
for row in \
  '| Intel Xeon (KVM guest, TSC 2.6 GHz), Linux | Intel(R) Xeon(R) Processor | unknown (counter 2.600 GHz) | yes (load 0.34 before, 0.38 after) | 1 | 40 | ' \
  '| with identity | AMD EPYC, family 25 model 1 stepping 1, microcode 0xa0011d1 | Zen 3 | no (load 0.10 before, 1.20 after; SMT sibling busy) | 1 | 40 |'; do
  grep -qF -- "$row" "$work/README.md" || fail "no row holds: $row"
done
# Again: the same table.
cp "$work/README.md" "$work/first.md"
"$work/scripts/results" "$tool" > /dev/null
cmp -s "$work/README.md" "$work/first.md" || fail "a second run changed the table"
echo "results_test: pooled rows as expected"
