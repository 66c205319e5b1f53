#!/usr/bin/env bash
# scripts/fleet through a real OpenSSH server on 127.0.0.1, started here with
# host keys, port, configuration and client key of its own: hosts host1 and
# host2 reach it, host "refusing" points at a closed port. Both reachable hosts
# must get their column in the combined table, measured where ssh took them
# (the bundle's folder there, since removed), and the refusing one must be
# named and cost only its own column.
# Usage: fleet_test.sh FLEET_SCRIPT LINUX_BUNDLE; exits 77 (skipped) where no sshd can be started.
set -euo pipefail
fleet=$1
bundle=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
skip() { echo "SKIPPED: $*"; exit 77; }

sshd=$(command -v sshd || echo /usr/sbin/sshd)
[ -x "$sshd" ] || skip "no sshd (Debian: openssh-server)"
command -v ssh-keygen >/dev/null || skip "no ssh-keygen (Debian: openssh-client)"
command -v parallel >/dev/null || skip "no GNU parallel"
# sshd insists on its privilege separation folder; the package makes it at boot.
[ -d /run/sshd ] || mkdir -p /run/sshd 2>/dev/null || skip "no /run/sshd and it cannot be made"

work=$(mktemp -d)
server=
cleanup() {
  [ -z "$server" ] || kill "$server" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
ssh-keygen -q -t ed25519 -N '' -f "$work/host_key"
ssh-keygen -q -t ed25519 -N '' -f "$work/user_key"
cp "$work/user_key.pub" "$work/authorized_keys"

port_is_open() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
port=$((20000 + RANDOM % 20000))
closed=$((port + 1))
! port_is_open "$port" && ! port_is_open "$closed" || skip "ports $port and $closed are taken"
cat >"$work/sshd_config" <<EOF
ListenAddress 127.0.0.1
Port $port
HostKey $work/host_key
AuthorizedKeysFile $work/authorized_keys
PidFile $work/sshd.pid
PasswordAuthentication no
KbdInteractiveAuthentication no
UsePAM no
StrictModes no
PermitRootLogin prohibit-password
LogLevel ERROR
EOF
"$sshd" -D -e -f "$work/sshd_config" 2>"$work/sshd.log" &
server=$!
for _ in $(seq 50); do
  port_is_open "$port" || ! kill -0 "$server" 2>/dev/null && break
  sleep 0.2
done
port_is_open "$port" || skip "sshd did not start: $(cat "$work/sshd.log")"

cat >"$work/ssh_config" <<EOF
Host host1 host2
  HostName 127.0.0.1
  Port $port
Host refusing
  HostName 127.0.0.1
  Port $closed
Host *
  User $(id -un)
  IdentityFile $work/user_key
  IdentitiesOnly yes
  UserKnownHostsFile $work/known_hosts
  StrictHostKeyChecking yes
  LogLevel ERROR
EOF
echo "[127.0.0.1]:$port $(cat "$work/host_key.pub")" >"$work/known_hosts"
ssh -F "$work/ssh_config" -o BatchMode=yes -o ConnectTimeout=10 host1 true ||
  skip "ssh to the test server failed: $(cat "$work/sshd.log")"

status=0
SSH_CONFIG=$work/ssh_config timeout 500 "$fleet" --runs 2 --bundle "$bundle" --out "$work/out" \
  host1 refusing host2 >"$work/table.txt" 2>"$work/errors.txt" || status=$?
echo "--- scripts/fleet, exit status $status; standard error:"
cat "$work/errors.txt"
echo "--- the combined table:"
cat "$work/table.txt"

[ "$status" -eq 1 ] || fail "exit status $status, not 1, with one host refusing"
grep -q '^fleet: refusing failed, ssh failed: .*Connection refused' "$work/errors.txt" ||
  fail "the refusing host is not named with its reason"
grep -qx 'fleet: 2 of 3 hosts reported; failed: refusing; results in .*' "$work/errors.txt" ||
  fail "no summary line naming the failed host"
for host in host1 host2; do
  report=$work/out/$host.json
  [ "$(jq -r .label "$report")" = "$host" ] || fail "$host.json is not labelled $host"
  # Run by the bundle in a folder of the remote side's own, removed afterwards.
  benchmark=$(jq -r '.series[0].benchmark.path' "$report")
  [[ $benchmark == */.callbench-fleet.*/callbench-*-linux-x86/callbench ]] ||
    fail "$host ran $benchmark, not the bundle's benchmark"
  [ ! -e "$(dirname "$(dirname "$benchmark")")" ] || fail "$host kept $benchmark"
done
grep -q '^\[1\] host1: ' "$work/table.txt" && grep -q '^\[2\] host2: ' "$work/table.txt" ||
  fail "the table has no column of host1 and host2"
! grep -q refusing "$work/table.txt" || fail "the refusing host has a column"
[ -s "$work/out/fleet.html" ] || fail "no fleet.html"
[ ! -e "$work/out/refusing.json" ] || fail "a report of the refusing host"
