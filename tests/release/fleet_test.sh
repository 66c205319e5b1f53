#!/usr/bin/env bash
# scripts/fleet through a real OpenSSH server on 127.0.0.1, started here with
# host keys, port, configuration and client key of its own. Every login runs a
# stand-in (ForceCommand) that gives each host alias a home of its own under
# the test's folder and, for the misbehaving ones, the fault it stands for;
# host "refusing" points at a closed port. Good hosts must get their column in
# the combined table, measured where ssh took them (the bundle's folder there,
# since removed); a bad host must be named with its reason and cost only its
# own column.
# Usage: fleet_test.sh FLEET_SCRIPT LINUX_BUNDLE; exits 77 (skipped) where no sshd can be started.
set -euo pipefail
fleet=$1
bundle=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
skip() { echo "SKIPPED: $*"; exit 77; }

sshd=$(command -v sshd || echo /usr/sbin/sshd)
[ -x "$sshd" ] || skip "no sshd (Debian: openssh-server)"
command -v ssh-keygen >/dev/null || skip "no ssh-keygen (Debian: openssh-client)"
# sshd insists on its privilege separation folder; the package makes it at boot.
[ -d /run/sshd ] || mkdir -p /run/sshd 2>/dev/null || skip "no /run/sshd and it cannot be made"

work=$(mktemp -d)
server=
cleanup() {
  [ -z "$server" ] || kill "$server" 2>/dev/null || true
  grep -lzx "FLEET_TEST_DEAF=$work" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3 | xargs -r kill 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
ssh-keygen -q -t ed25519 -N '' -f "$work/host_key"
ssh-keygen -q -t ed25519 -N '' -f "$work/user_key"
cp "$work/user_key.pub" "$work/authorized_keys"

# The login stand-in. ssh sends the alias as FLEET_HOST; every process of a
# login carries FLEET_TEST_RUN, so that what a fleet left running can be found.
cat >"$work/login" <<EOF
#!/bin/sh
name=\${FLEET_HOST:-plain}
HOME=$work/home/\$name
FLEET_TEST_RUN=$work
export HOME FLEET_TEST_RUN
mkdir -p "\$HOME"
cd "\$HOME"
echo "\$name" >>$work/logins
case \$name in
  exit255) echo "This account is currently not available." >&2; exit 255 ;;
  chatty) echo "Welcome to \$name"; exec sh -c "\$SSH_ORIGINAL_COMMAND" ;;
  truncated) sh -c "\$SSH_ORIGINAL_COMMAND" | head -c 300 ;;
  # Far beyond the largest report the tool reads (69 MB): not all of it gets through.
  huge) head -c 200000000 /dev/zero && touch $work/huge-sent ;;
  # Reads nothing and never ends: not the fleet's to stop, so not marked.
  deaf) exec env -u FLEET_TEST_RUN FLEET_TEST_DEAF=$work sleep 600 ;;
  *) exec sh -c "\$SSH_ORIGINAL_COMMAND" ;;
esac
EOF
chmod +x "$work/login"

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
AcceptEnv FLEET_HOST
ForceCommand $work/login
LogLevel ERROR
EOF
"$sshd" -D -e -f "$work/sshd_config" 2>"$work/sshd.log" &
server=$!
for _ in $(seq 50); do
  port_is_open "$port" || ! kill -0 "$server" 2>/dev/null && break
  sleep 0.2
done
port_is_open "$port" || skip "sshd did not start: $(cat "$work/sshd.log")"

hosts="host1 host2 exit255 fleet chatty truncated huge deaf"
{
  for host in $hosts; do
    printf 'Host %s\n  HostName 127.0.0.1\n  Port %s\n  SetEnv FLEET_HOST=%s\n' "$host" "$port" "$host"
  done
  cat <<EOF
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
} >"$work/ssh_config"
echo "[127.0.0.1]:$port $(cat "$work/host_key.pub")" >"$work/known_hosts"
ssh -F "$work/ssh_config" -o BatchMode=yes -o ConnectTimeout=10 host1 true ||
  skip "ssh to the test server failed: $(cat "$work/sshd.log")"

# run_fleet NAME ARGS...: scripts/fleet with ARGS, its exit status in $status,
# its standard output in NAME.out and standard error in NAME.err.
run_fleet() {
  local name=$1
  shift
  status=0
  FLEET_TEST_RUN=$work SSH_CONFIG=$work/ssh_config timeout 300 "$fleet" "$@" \
    >"$work/$name.out" 2>"$work/$name.err" || status=$?
  echo "--- $name: scripts/fleet $*: exit status $status; standard error:"
  cat "$work/$name.err"
}
# Fails unless NAME's standard error has a line matching the extended regex.
said() { grep -Eq -- "$2" "$work/$1.err" || fail "$1: no line '$2' on standard error"; }
# Fails if what the fleet NAME started, here or on a host, is left running a
# while after it ended, or a host kept its folder, or OUT a part of a report.
# A login that sshd was still starting as ssh ended makes its folder and
# removes it a moment later: both are waited for alike.
left_nothing() {
  local running kept
  for _ in $(seq 50); do
    running=$(grep -lzx "FLEET_TEST_RUN=$work" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3 | paste -sd, || true)
    kept=$(compgen -G "$work/home/*/.callbench-fleet.*" || true)
    [ -n "$running$kept" ] || break
    sleep 0.2
  done
  [ -z "$running" ] || fail "$1: left running: $(ps -o pid=,args= -p "$running")"
  [ -z "$kept" ] || fail "$1: a host kept its folder: $kept"
  ! compgen -G "$2/hosts/*.part" >/dev/null || fail "$1: a part of a report left"
}

run_fleet main --runs 2 --bundle "$bundle" --out "$work/out" host1 refusing fleet exit255 chatty truncated huge
echo "--- the combined table:"
cat "$work/main.out"
[ "$status" -eq 1 ] || fail "exit status $status, not 1, with bad hosts"
# Each report is read on its own: a bad one costs only its own column. ssh
# exits with 255 for its own faults, and passes on a remote 255.
while read -r host reason; do
  said main "^fleet: $host failed, $reason"
  [ ! -e "$work/out/hosts/$host.json" ] || fail "a report of $host"
done <<EOF
refusing ssh failed: .*Connection refused
exit255 [^s].*255.*This account is currently not available
chatty .*not JSON
truncated .*not JSON
huge .*sent more than [0-9]* bytes
EOF
[ ! -e "$work/huge-sent" ] || fail "huge: all it sent was taken"
said main '^fleet: 2 of 7 hosts reported; failed: refusing exit255 chatty truncated huge; results in .*'
for host in host1 fleet; do
  report=$work/out/hosts/$host.json
  [ "$(jq -r .label "$report")" = "$host" ] || fail "$host.json is not labelled $host"
  # Run by the bundle in a folder of the remote side's own, removed afterwards.
  benchmark=$(jq -r '.series[0].benchmark.path' "$report")
  [[ $benchmark == "$work/home/$host/.callbench-fleet."*/callbench-*-linux-x86/callbench ]] ||
    fail "$host ran $benchmark, not the bundle's benchmark"
  [ ! -e "$(dirname "$(dirname "$benchmark")")" ] || fail "$host kept $benchmark"
done
grep -q '^\[1\] host1: ' "$work/main.out" && grep -q '^\[2\] fleet: ' "$work/main.out" ||
  fail "the table has no column of host1 and fleet"
! grep -Eq 'refusing|exit255|chatty|truncated|huge' "$work/main.out" || fail "a failed host has a column"
# The combined outputs are apart from the host named fleet's.
[ -s "$work/out/fleet.html" ] || fail "no fleet.html"
[ "$(jq '.series | length' "$work/out/fleet.json")" -eq 2 ] || fail "fleet.json is not the combined report"
left_nothing main "$work/out"

# repack NAME FOLDER [BENCHMARK]: the bundle as NAME.tar.gz, its folder named
# FOLDER, its benchmark the script BENCHMARK if given (the real one beside it,
# as callbench.real).
repack() {
  local made
  made=$(basename "$bundle" .tar.gz)
  mkdir "$work/$1"
  tar -xzf "$bundle" -C "$work/$1"
  [ "$made" = "$2" ] || mv "$work/$1/$made" "$work/$1/$2"
  if [ -n "${3:-}" ]; then
    cp -p "$work/$1/$2/callbench" "$work/$1/$2/callbench.real"
    echo "$3" >"$work/$1/$2/callbench"
  fi
  tar -czf "$work/$1.tar.gz" -C "$work/$1" "$2"
}

# A bundle is checked before anything reaches a remote shell: its folder's name
# is not a command there.
repack evil "x;touch pwned;y"
run_fleet evil --runs 2 --bundle "$work/evil.tar.gz" --out "$work/evil-out" host1
[ ! -e "$work/home/host1/pwned" ] || fail "the bundle's folder name ran as a command on host1"
[ "$status" -eq 2 ] || fail "exit status $status, not 2, for a bundle with a strange folder"
said evil '^fleet: .*x;touch pwned;y'

# Bad arguments are named as such, before anything is sent: no login follows.
touch "$work/logins"
while IFS='|' read -r name pattern args; do
  logins=$(wc -l <"$work/logins")
  # shellcheck disable=SC2086 # the row's arguments are words
  run_fleet "$name" --bundle "$bundle" $args
  [ "$status" -eq 2 ] || fail "$name: exit status $status, not 2"
  said "$name" "$pattern"
  ! grep -Eq 'subscript|host-timeout|callbench-report exited' "$work/$name.err" || fail "$name: a wrong cause named"
  [ "$(wc -l <"$work/logins")" -eq "$logins" ] || fail "$name: a host was reached"
done <<EOF
no-host|^fleet: .*a@|--out $work/no-host a@
no-user|^fleet: .*@host1|--out $work/no-user @host1
runs-over|^fleet: .*--runs.*50000|--runs 50001 --out $work/runs-over host1
runs-huge|^fleet: .*--runs|--runs 1000000000000000000 --out $work/runs-huge host1
unwritable-out|^fleet: .*/sys|--runs 2 --out /sys host1
EOF

# A bundle whose benchmark hangs, but on host1, where it runs. A host out of
# time (one that ignores the end of its input is cut off), SIGTERM, SIGHUP and
# Ctrl+C (INT to the fleet's process group; a second one while it waits for a
# host that does not stop) stop every run the fleet started, here and on the
# hosts, and their folders go; a report that came back is still put in the table.
repack hang "$(basename "$bundle" .tar.gz)" "#!/bin/sh
case \$HOME in */host1) exec \"\$0.real\" \"\$@\" ;; esac
touch $work/hung
exec sleep 1000"
run_fleet time-out --runs 2 --host-timeout 3 --bundle "$work/hang.tar.gz" --out "$work/time-out" host2 deaf
[ "$status" -eq 1 ] || fail "time-out: exit status $status, not 1"
said time-out '^fleet: host2 failed, no answer within 3 s'
said time-out '^fleet: deaf failed, no answer within 3 s'
left_nothing time-out "$work/time-out"
for signal in TERM HUP INT; do
  rm -f "$work/hung"
  case $signal in
    TERM) targets=(host1 host2) ;;
    HUP) targets=(host2) ;;
    INT) targets=(host2 fleet deaf) ;;
  esac
  set -m  # the fleet in a process group of its own, as a shell's job is
  FLEET_TEST_RUN=$work SSH_CONFIG=$work/ssh_config "$fleet" --runs 2 --bundle "$work/hang.tar.gz" \
    --out "$work/$signal" "${targets[@]}" >"$work/$signal.out" 2>"$work/$signal.err" &
  pid=$!
  set +m
  for _ in $(seq 300); do [ ! -e "$work/hung" ] || break; sleep 0.2; done
  [ -e "$work/hung" ] || fail "$signal: the hanging benchmark never started"
  reported=0
  if [ "$signal" = TERM ]; then
    for _ in $(seq 1500); do [ ! -e "$work/TERM/hosts/host1.json" ] || break; sleep 0.2; done
    [ -e "$work/TERM/hosts/host1.json" ] || fail "TERM: host1 never reported"
    reported=1
  fi
  if [ "$signal" = INT ]; then
    kill -INT -- "-$pid"
    for _ in $(seq 50); do ! grep -q 'stopping' "$work/$signal.err" || break; sleep 0.2; done
    kill -INT -- "-$pid"
  else
    kill "-$signal" "$pid"
  fi
  status=0
  wait "$pid" || status=$?
  echo "--- SIG$signal: exit status $status; standard error:"
  cat "$work/$signal.err"
  [ "$status" -eq $((128 + $(kill -l "$signal"))) ] || fail "$signal: exit status $status"
  said "$signal" \
    "^fleet: stopped by SIG$signal; $reported of ${#targets[@]} hosts reported; failed: ${targets[*]:reported}"
  # Stopped through its input, the remote side still says how its tool ended.
  [ "$signal" = INT ] ||
    grep -q '^callbench-fleet: callbench-report exited with ' "$work/$signal/hosts/host2.log" ||
    fail "$signal: host2's tool was not stopped by the end of its input"
  [ "$reported" -eq 0 ] || grep -q '^\[1\] host1: ' "$work/$signal.out" ||
    fail "$signal: host1's report is not in the table"
  left_nothing "$signal" "$work/$signal"
done

# A signal as parallel starts, before it handles any, must not be lost: the
# hosts would measure until their time is up. Not waited for that long.
FLEET_TEST_RUN=$work SSH_CONFIG=$work/ssh_config "$fleet" --runs 2 --host-timeout 600 --bundle "$work/hang.tar.gz" \
  --out "$work/early" host2 >"$work/early.out" 2>"$work/early.err" &
pid=$!
until pgrep -x -P "$pid" parallel >/dev/null; do
  kill -0 "$pid" 2>/dev/null || fail "early: the fleet ended before it started parallel"
  sleep 0.01
done
kill -TERM "$pid"
for _ in $(seq 600); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
kill -0 "$pid" 2>/dev/null && kill -TERM "$pid" && fail "early: the hosts went on after SIGTERM"
status=0
wait "$pid" || status=$?
echo "--- early SIGTERM: exit status $status; standard error:"
cat "$work/early.err"
[ "$status" -eq 143 ] || fail "early: exit status $status"
said early '^fleet: stopped by SIGTERM; 0 of 1 hosts reported; failed: host2'
left_nothing early "$work/early"
