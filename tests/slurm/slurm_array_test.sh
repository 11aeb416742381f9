#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The job array of packaging/slurm on a one-node Slurm of the test's own: munge, slurmctld and
# slurmd configured in a temporary folder, on private ports and a private munge socket, stopped
# at the end. Three decks, the second broken: two outputs, one failure reported by deckrec and
# by the tasks' states.
#
#   usage: slurm_array_test.sh DECKREC SOURCE_DIR
# Exits 77 (skipped) when not root or when Slurm or munge is not installed.
set -uo pipefail
deckrec=$(realpath "$1")
source_dir=$(realpath "$2")

if [ "$(id -u)" -ne 0 ]; then
  echo "SKIP: the test Slurm runs its daemons as root"; exit 77
fi
for tool in munged slurmctld slurmd sbatch squeue scontrol sinfo ffprobe; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIP: $tool is not installed (slurm-wlm and munge in scripts/packages.txt)"; exit 77
  fi
done

tmp=$(mktemp -d /tmp/deckrec-slurm.XXXXXX)
chmod 0755 "$tmp"
stop_daemons() {
  for pidfile in "$tmp/slurmd.pid" "$tmp/slurmctld.pid" "$tmp/munged.pid"; do
    [ -s "$pidfile" ] || continue
    pid=$(cat "$pidfile")
    kill "$pid" 2>/dev/null
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null
  done
}
finish() {
  local status=$?
  stop_daemons
  if [ "$status" -ne 0 ]; then
    for log in "$tmp"/slurmctld.log "$tmp"/slurmd.log "$tmp"/out/logs/*; do
      [ -f "$log" ] && { echo "== $log"; tail -n 20 "$log"; }
    done
  fi
  rm -rf "$tmp"
  exit "$status"
}
trap finish EXIT
trap 'exit 130' INT TERM
fail() { echo "FAIL: $*" >&2; exit 1; }

# munge with a key and socket of its own, so that a munged of the system stays out of it.
mkdir -p "$tmp/munge" && chmod 0700 "$tmp/munge"
dd if=/dev/urandom of="$tmp/munge/munge.key" bs=1024 count=1 status=none
chmod 0400 "$tmp/munge/munge.key"
munged --force --key-file="$tmp/munge/munge.key" --socket="$tmp/munge/munge.sock" \
  --pid-file="$tmp/munged.pid" --log-file="$tmp/munge/munged.log" --seed-file="$tmp/munge/seed" \
  || fail "munged did not start"

# Private ports: two that nothing listens on, picked at random above 20000.
free_port() {
  local port
  while :; do
    port=$(( 20000 + RANDOM % 30000 ))
    ss -ltnH "sport = :$port" 2>/dev/null | grep -q . || { echo "$port"; return; }
  done
}
host=$(hostname -s)
mkdir -p "$tmp/state" "$tmp/spool"
export SLURM_CONF="$tmp/slurm.conf"
cat >"$SLURM_CONF" <<CONF
ClusterName=deckrectest
SlurmctldHost=$host
SlurmUser=root
SlurmdUser=root
SlurmctldPort=$(free_port)
SlurmdPort=$(free_port)
AuthType=auth/munge
AuthInfo=socket=$tmp/munge/munge.sock
CredType=cred/munge
MpiDefault=none
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
SchedulerType=sched/backfill
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
JobAcctGatherType=jobacct_gather/none
ReturnToService=2
MinJobAge=600
StateSaveLocation=$tmp/state
SlurmdSpoolDir=$tmp/spool
SlurmctldPidFile=$tmp/slurmctld.pid
SlurmdPidFile=$tmp/slurmd.pid
SlurmctldLogFile=$tmp/slurmctld.log
SlurmdLogFile=$tmp/slurmd.log
NodeName=$host CPUs=$(nproc) State=UNKNOWN
PartitionName=test Nodes=$host Default=YES MaxTime=INFINITE State=UP
CONF
slurmctld -i || fail "slurmctld did not start"
slurmd || fail "slurmd did not start"
for _ in $(seq 60); do
  sinfo -h -o %t 2>/dev/null | grep -qx idle && break
  sleep 0.5
done
sinfo -h -o %t | grep -qx idle || fail "the node did not come up: $(sinfo 2>&1)"

# Three decks, the second broken.
mkdir -p "$tmp/decks" "$tmp/out"
cp "$source_dir/data/sample/deckrec-sample.fodp" "$source_dir/data/sample/deckrec-photos.fodp" "$tmp/decks/"
echo '<?xml version="1.0"?><broken/>' >"$tmp/decks/broken.fodp"
printf '# the test decks\ndeckrec-sample.fodp\nbroken.fodp\n\ndeckrec-photos.fodp\n' >"$tmp/decks/list.txt"

export DECKREC="$deckrec" XDG_CACHE_HOME="$tmp/cache"
job=$(sbatch --parsable --array=1-3%2 --time=3:00 --chdir="$tmp" --output="$tmp/slurm-%A_%a.out" \
  "$source_dir/packaging/slurm/deckrec-array.sbatch" "$tmp/decks/list.txt" "$tmp/out" \
  --formats gif --latency 1000) || fail "sbatch refused the array"
job=${job%%;*}
for _ in $(seq 240); do
  [ -z "$(squeue -h -j "$job" 2>/dev/null)" ] && break
  sleep 0.5
done
[ -z "$(squeue -h -j "$job")" ] || fail "the array did not finish within two minutes"

# The tasks' states, from the controller (accounting is off, so sacct knows nothing).
states=$(scontrol -o show job "$job" | sed -n 's/.*ArrayTaskId=\([0-9]*\) .*JobState=\([A-Z_]*\).*/\1=\2/p' | sort)
echo "task states: $(echo $states)"
[ "$(echo $states)" = "1=COMPLETED 2=FAILED 3=COMPLETED" ] || fail "task states: $(echo $states)"

for deck in deckrec-sample deckrec-photos; do
  probe=$(ffprobe -v error -select_streams v:0 -show_entries stream=codec_name,width -of csv=p=0 "$tmp/out/$deck.gif")
  [ "$probe" = "gif,560" ] || fail "$deck.gif: '$probe'"
done
[ ! -e "$tmp/out/broken.gif" ] || fail "the broken deck has an output"
grep -q '"event":"failed".*LibreOffice could not make a slide show' "$tmp/out/logs/task-2.json" \
  || fail "task 2 reported no failure: $(cat "$tmp/out/logs/task-2.json")"
# Collecting the failures as packaging/slurm/README.md says.
failures=$(cat "$tmp"/out/logs/task-*.json | grep -c '"event":"failed"')
[ "$failures" -eq 1 ] || fail "$failures failures reported"
grep -q '"event":"done"' "$tmp/out/logs/task-1.json" || fail "task 1 reported no done event"
echo "PASS: two outputs, one failure, task states $(echo $states)"
