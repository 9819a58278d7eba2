# cluster.sh -- helpers for the exports run on real engines: free ports, a private one-node Slurm
# cluster (munge, slurmctld, slurmd) and daemons stopped by their PIDs. Sourced after lib.sh.

DAEMON_PIDS=()

# A TCP port on 127.0.0.1 that nothing listens on now.
free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# Stops every daemon started here, newest first, and waits for each.
stop_daemons() {
  local i
  for ((i = ${#DAEMON_PIDS[@]} - 1; i >= 0; i--)); do
    kill "${DAEMON_PIDS[i]}" 2>/dev/null
    wait "${DAEMON_PIDS[i]}" 2>/dev/null
  done
  DAEMON_PIDS=()
}

# Starts munge with a fresh key, then slurmctld and slurmd for one node, localhost, with this
# machine's cores and memory; everything lives under $SCRATCH/cluster and SLURM_CONF points the
# commands at it.
# The daemons run in the foreground as this shell's children, so that their PIDs are ours to stop.
start_slurm() {
  local dir=$SCRATCH/cluster
  # munged wants every folder above its socket open to all, and its key's folder closed.
  mkdir -p "$dir/run" "$dir/key" "$dir/state" "$dir/spool" "$dir/log"
  chmod 755 "$SCRATCH" "$dir" "$dir/run"
  chmod 700 "$dir/key"
  mungekey --create --keyfile="$dir/key/munge.key" || return 1
  munged -F --socket="$dir/run/munge.socket" --key-file="$dir/key/munge.key" --pid-file="$dir/run/munged.pid" \
    --seed-file="$dir/key/munged.seed" --log-file="$dir/log/munged.log" >"$dir/log/munged.out" 2>&1 &
  DAEMON_PIDS+=($!)
  wait_until 10 test -S "$dir/run/munge.socket" || { echo "munged did not start: $(cat "$dir/log/munged.out")" >&2; return 1; }

  cat >"$dir/slurm.conf" <<CONF
ClusterName=bearings
SlurmctldHost=localhost(127.0.0.1)
SlurmctldPort=$(free_port)
SlurmdPort=$(free_port)
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$dir/run/munge.socket
StateSaveLocation=$dir/state
SlurmdSpoolDir=$dir/spool
SlurmctldPidFile=$dir/run/slurmctld.pid
SlurmdPidFile=$dir/run/slurmd.pid
SlurmctldLogFile=$dir/log/slurmctld.log
SlurmdLogFile=$dir/log/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
ReturnToService=2
SlurmdParameters=config_overrides
NodeName=localhost NodeAddr=127.0.0.1 CPUs=$(nproc) RealMemory=$(awk '/^MemTotal:/ { print int($2 / 1024) }' /proc/meminfo) State=UNKNOWN
PartitionName=show Nodes=localhost Default=YES MaxTime=INFINITE State=UP
CONF
  export SLURM_CONF="$dir/slurm.conf"
  slurmctld -D -f "$SLURM_CONF" >"$dir/log/slurmctld.out" 2>&1 &
  DAEMON_PIDS+=($!)
  slurmd -D -f "$SLURM_CONF" -N localhost >"$dir/log/slurmd.out" 2>&1 &
  DAEMON_PIDS+=($!)
  wait_until 30 node_idle ||
    { echo "the one-node cluster did not come up: $(tail -q -n 2 "$dir"/log/*.log | tr '\n' ' ')" >&2; return 1; }
}
# The one node is up and takes jobs.
node_idle() { [ "$(timeout 5 sinfo -h -o %t 2>/dev/null)" = idle ]; }

# Cancels what is left on the cluster, then stops its daemons.
stop_slurm() {
  [ -n "${SLURM_CONF:-}" ] || return 0
  timeout 5 scancel --quiet --user root 2>/dev/null
  wait_until 10 no_jobs
  stop_daemons
  unset SLURM_CONF
}

# Nothing is left on the cluster.
no_jobs() { [ -z "$(timeout 5 squeue -h -o %i 2>/dev/null)" ]; }

# Waits until no job of ID (a job or an array) is pending or running, at most SECONDS.
wait_jobs() {
  local id=$1 deadline=$((SECONDS + $2))
  while [ $SECONDS -lt $deadline ]; do
    timeout 5 squeue -h -j "$id" -t PENDING,RUNNING,CONFIGURING,COMPLETING -o %i 2>/dev/null | grep -q . || return 0
    # A job held by a dependency that can never be met waits for good.
    [ "$(timeout 5 squeue -h -j "$id" -o %r 2>/dev/null)" = DependencyNeverSatisfied ] && return 0
    sleep 0.5
  done
  return 1
}

# The README's Slurm recipe, set to PARTS parts of FROM-TO ms at FPS with capture OPTIONS: the part
# script (its bash block) and the indented command blocks after it, the submission, the command that
# names a failed task and the rerun of one.
read_recipe() {
  local parts=$1 from=$2 to=$3 fps=$4 options=$5 readme
  readme="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/README.md"
  block() {
    awk -v want="$1" '/^```$/ && seen_script { after = 1; next } /^# bearings-part\.sh/ { seen_script = 1 }
                      after && /^    / { if (!inside) { n++; inside = 1 } if (n == want) print substr($0, 5); next }
                      after && inside { inside = 0; if (n == want) exit }' "$readme"
  }
  stretch() {
    sed -e "s/^#SBATCH --array=0-39$/#SBATCH --array=0-$((parts - 1))/" \
        -e "s/^parts=40 from=0 to=490000 fps=60 options=\"\"$/parts=$parts from=$from to=$to fps=$fps options=\"$options\"/" \
        -e "s/--from 0 --to 490000/--from $from --to $to/g"
  }
  part_script=$(awk '/^```bash$/ { text = ""; inside = 1; next }
                     inside && /^```$/ { if (text ~ /bearings-part\.sh/) { printf "%s", text; exit } inside = 0; next }
                     inside { text = text $0 "\n" }' "$readme" | stretch)
  submit=$(block 1 | stretch) names=$(block 2) rerun=$(block 3 | stretch)
  # Fails when the README no longer reads as this expects, rather than run something else.
  [[ $part_script == *"parts=$parts from=$from to=$to"* && $part_script == *"--array=0-$((parts - 1))"* ]] &&
    [[ $submit == *"--dependency=afterok:\$array"*"--from $from --to $to"* && $names == squeue* && $rerun == *"--array=N "* ]]
}

# Runs the recipe read last in the folder DIR, as a user would: the script, then the submission,
# which leaves the array's ID in $array and the join's in $join.
run_recipe() {
  local back=$PWD
  mkdir -p "$1" && cd "$1" && echo "$part_script" >bearings-part.sh && eval "$submit"
  cd "$back"
}
