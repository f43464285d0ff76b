#!/usr/bin/env bash
# Runs the Slurm job-array example for real: starts a one-node Slurm cluster on loopback
# (munged, slurmctld, slurmd, all in a scratch folder, as root), exports a generated set of
# photos as a 4-task job array, kills one task with SIGKILL while it writes, resubmits that task
# alone, merges the manifests, and compares the result with one unsharded export of the same
# list: the same names and the same bytes.
#
#   scripts/test-slurm.sh            (after scripts/build.sh)
#
# Settings: INKSTEAD (the tool, default build/apps/cli/inkstead), PHOTOS (default 40), SIZE
# (photo size WxH, default 1600x1200), KEEP=1 keeps the scratch folder.
#
# Needs the Debian packages slurm-wlm and munge (not in scripts/setup.sh: CI does not run this
# test) and root. When either is missing or the scheduler cannot start, it prints a line
# starting with "skipped:" and exits 0. Exit 1 means the export itself went wrong.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

INKSTEAD=$(realpath -m "${INKSTEAD:-build/apps/cli/inkstead}")
PHOTOS=${PHOTOS:-40}
SIZE=${SIZE:-1600x1200}
SHARDS=4
KILLED=3 # the task that is killed and resubmitted

skip() {
  echo "skipped: $*"
  exit 0
}
fail() {
  echo "FAILED: $*" >&2
  exit 1
}
say() { echo "test-slurm: $*"; }

[ -x "$INKSTEAD" ] || skip "no inkstead program at $INKSTEAD (run scripts/build.sh first)"
for tool in munged munge slurmctld slurmd sbatch squeue scancel sinfo vips; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (apt-get install slurm-wlm munge libvips-tools)"
done
[ "$(id -u)" -eq 0 ] || skip "slurmd must run as root here"

work=$(mktemp -d /tmp/inkstead-slurm.XXXXXX)
chmod 755 "$work"
cleanup() {
  local pidfile pid
  for pidfile in "$work/slurmd.pid" "$work/slurmctld.pid" "$work/munge/munged.pid"; do
    [ -s "$pidfile" ] || continue
    pid=$(cat "$pidfile")
    kill "$pid" 2>/dev/null || continue
    for _ in $(seq 50); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
  done
  if [ "${KEEP:-0}" = 1 ]; then say "kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

# --- munge: a private key and socket -------------------------------------------------------
mkdir -p "$work"/{munge,spool,state,log}
chmod 711 "$work/munge"
head -c 1024 /dev/urandom >"$work/munge/munge.key"
chmod 400 "$work/munge/munge.key"
munged --force --socket="$work/munge/munge.sock" --key-file="$work/munge/munge.key" \
  --pid-file="$work/munge/munged.pid" --seed-file="$work/munge/munged.seed" \
  --log-file="$work/log/munged.log" 2>"$work/log/munged.err" ||
  skip "munged cannot start: $(tail -n 1 "$work/log/munged.err")"
munge -S "$work/munge/munge.sock" -n | unmunge -S "$work/munge/munge.sock" >/dev/null 2>&1 ||
  skip "munge does not answer on its socket"

# --- slurm: one node on loopback, ports of our own ----------------------------------------
host=$(hostname -s)
port=$((20000 + RANDOM % 20000))
export SLURM_CONF="$work/slurm.conf"
cat >"$SLURM_CONF" <<EOF
ClusterName=inksteadtest
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=$port
SlurmdPort=$((port + 1))
AuthType=auth/munge
AuthInfo=socket=$work/munge/munge.sock
CredType=cred/munge
SlurmUser=root
SlurmdUser=root
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd.pid
SlurmctldLogFile=$work/log/slurmctld.log
SlurmdLogFile=$work/log/slurmd.log
ProctrackType=proctrack/pgid
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
SchedulerType=sched/builtin
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
ReturnToService=2
MpiDefault=none
KillWait=2
NodeName=$host NodeAddr=127.0.0.1 CPUs=$(nproc) RealMemory=$(($(awk '/MemTotal/ {print $2}' /proc/meminfo) / 1024 - 512)) State=UNKNOWN
PartitionName=test Nodes=$host Default=YES MaxTime=INFINITE State=UP
EOF
slurmctld -f "$SLURM_CONF" -i 2>"$work/log/slurmctld.err" ||
  skip "slurmctld cannot start: $(tail -n 1 "$work/log/slurmctld.err")"
slurmd -f "$SLURM_CONF" 2>"$work/log/slurmd.err" ||
  skip "slurmd cannot start: $(tail -n 1 "$work/log/slurmd.err")"
for _ in $(seq 60); do
  state=$(sinfo -h -o %T 2>/dev/null || true)
  [ "$state" = idle ] && break
  sleep 0.5
done
[ "${state:-}" = idle ] ||
  skip "the node did not come up (state '${state:-none}'): $(tail -n 1 "$work/log/slurmd.log" 2>/dev/null)"
say "cluster up: $host, slurmctld port $port, $(nproc) CPUs"

# --- photos and the list -------------------------------------------------------------------
width=${SIZE%x*}
height=${SIZE#*x}
for i in $(seq -f %03g "$PHOTOS"); do
  folder="$work/photos/$(((10#$i) % 3))"
  mkdir -p "$folder"
  # Noise of a different strength per photo: sizes differ, and every file is a real JPEG.
  vips gaussnoise "$folder/IMG_$i.jpg[Q=90]" "$width" "$height" --mean 128 --sigma $((10 + 10#$i % 40))
done
find "$work/photos" -type f -name '*.jpg' | LC_ALL=C sort >"$work/list.txt"
# Photos of the same name in two folders: the later in the list takes the _Watermarked_1 name.
cp "$work/photos/1/IMG_001.jpg" "$work/photos/2/IMG_001.jpg"
echo "$work/photos/2/IMG_001.jpg" >>"$work/list.txt"
listed=$(wc -l <"$work/list.txt")
say "$listed photos of $SIZE in $work/photos"

export_args=(--text "© Slurm test" --pattern filename,-,increment --quality 85)
export LIST="$work/list.txt" OUT="$work/out" MANIFESTS="$work/manifests" INKSTEAD
export INKSTEAD_HOME="$work/home"
mkdir -p "$work/logs"

wait_for_jobs() {
  for _ in $(seq 1200); do
    [ -z "$(squeue -h -o %i 2>/dev/null)" ] && return 0
    sleep 0.25
  done
  fail "jobs still queued after 5 minutes: $(squeue)"
}

# --- the array, with one task killed while it writes -----------------------------------------
started=$(date +%s.%N)
job=$(sbatch --parsable --array=1-$SHARDS --cpus-per-task=1 --chdir="$work" \
  --output="$work/logs/task-%a.log" "$root/examples/slurm/inkstead-array.sbatch" \
  "${export_args[@]}") || fail "sbatch refused the array"
say "submitted array job $job (tasks 1-$SHARDS)"
manifest="$work/manifests/task-$KILLED.txt"
killed_after=""
for _ in $(seq 2400); do
  lines=$(grep -c -v '^#' "$manifest" 2>/dev/null || true)
  if [ "${lines:-0}" -ge 2 ]; then
    scancel --signal=KILL --full "${job}_$KILLED" && killed_after=$lines
    break
  fi
  sleep 0.05
done
[ -n "$killed_after" ] || fail "task $KILLED never started writing"
say "sent SIGKILL to task $KILLED once it had recorded $killed_after photos"
wait_for_jobs
share=$(((listed - KILLED) / SHARDS + 1))
recorded=$(grep -c -v '^#' "$manifest" || true)
[ "$recorded" -lt "$share" ] || fail "task $KILLED finished its $share photos before it was killed"
say "task $KILLED's manifest holds $recorded of its $share photos"

# --- resubmitted alone ----------------------------------------------------------------------
rejob=$(SHARDS=$SHARDS sbatch --parsable --array=$KILLED --cpus-per-task=1 --chdir="$work" \
  --output="$work/logs/task-$KILLED-again.log" "$root/examples/slurm/inkstead-array.sbatch" \
  "${export_args[@]}") || fail "sbatch refused the resubmission"
wait_for_jobs
wall=$(echo "$(date +%s.%N) - $started" | bc)
say "resubmitted task $KILLED as job $rejob: $(grep -h 'already done' "$work/logs/task-$KILLED-again.log" | sed 's/^inkstead: //')"
for k in $(seq $SHARDS); do
  log="$work/logs/task-$k.log"
  [ "$k" = "$KILLED" ] && log="$work/logs/task-$k-again.log"
  grep -q '^Exported' "$log" || fail "task $k did not finish: $(tail -n 3 "$log")"
done

# --- merged manifests ----------------------------------------------------------------------
set +e
"$INKSTEAD" manifest merge "$work"/manifests/task-*.txt -o "$work/manifest.txt" >"$work/merge.txt"
merged=$?
set -e
sed 's/^/  merge: /' "$work/merge.txt"
[ "$merged" -eq 0 ] || fail "manifest merge exited $merged"
grep -q "^$listed images: $listed written" "$work/merge.txt" ||
  fail "the merged manifest does not list all $listed photos as written"

# --- against one unsharded run ---------------------------------------------------------------
"$INKSTEAD" export --files-from "$work/list.txt" -o "$work/whole" -q "${export_args[@]}" ||
  fail "the unsharded export failed"
(cd "$work/whole" && find . -type f ! -name '.*' | LC_ALL=C sort) >"$work/names-whole.txt"
(cd "$work/out" && find . -type f ! -name '.*' | LC_ALL=C sort) >"$work/names-array.txt"
diff -u "$work/names-whole.txt" "$work/names-array.txt" >&2 ||
  fail "the array's output names differ from the unsharded run's"
while read -r name; do
  cmp -s "$work/whole/$name" "$work/out/$name" || fail "$name differs from the unsharded run's"
done <"$work/names-whole.txt"
leftovers=$(find "$work/out" -name '.~inkstead-*' | wc -l)
say "$(wc -l <"$work/names-whole.txt") outputs, names and bytes equal to one unsharded run" \
  "($leftovers hidden temporary file(s) of the killed task left for the 15-minute sweep)"
say "array wall time $(printf %.1f "$wall") s including the resubmission"
say "passed"
