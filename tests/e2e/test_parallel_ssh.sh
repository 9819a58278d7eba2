#!/usr/bin/env bash
# test_parallel_ssh.sh -- scripts/export-parallel.sh --sshlogin against an ssh server of our own on
# 127.0.0.1, its logins in a home folder of their own: the parts are made there, come back over
# rsync and join into the one-process export, and nothing stays behind; a part whose remote capture
# fails is named, and nothing is joined.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/cluster.sh"
no_devices
root=$(cd "$(dirname "$0")/../.." && pwd)
need parallel rsync ssh ssh-keygen /usr/sbin/sshd
# sshd insists on its privilege separation folder; made here only if the machine lacks it.
if [ "$(id -u)" -ne 0 ] && [ ! -d /run/sshd ]; then
  echo "SKIP: sshd needs /run/sshd, which only root can make"
  exit 0
fi
made_privsep=""
trap 'stop_daemons; [ -z "$made_privsep" ] || rmdir /run/sshd; rm -rf "$SCRATCH"' EXIT
trap 'exit 1' INT TERM HUP

prefix="$SCRATCH/prefix"
install_show "$prefix" || abort "the show could not be installed"
export PATH="$prefix/bin:$PATH"

# The server: its own host key, config and log; one user key; its logins get HOME=remote and start
# there, with the installed show on their PATH, as a machine with the package would have it.
ssh_dir="$SCRATCH/ssh" remote="$SCRATCH/remote"
mkdir -p "$ssh_dir" "$remote"
ssh-keygen -q -t ed25519 -N '' -f "$ssh_dir/host_key"
ssh-keygen -q -t ed25519 -N '' -f "$ssh_dir/user_key"
cp "$ssh_dir/user_key.pub" "$ssh_dir/authorized_keys"
port=$(free_port)
cat >"$ssh_dir/sshd_config" <<CONF
ListenAddress 127.0.0.1
Port $port
HostKey $ssh_dir/host_key
PidFile $ssh_dir/sshd.pid
AuthorizedKeysFile $ssh_dir/authorized_keys
StrictModes no
UsePAM no
PasswordAuthentication no
KbdInteractiveAuthentication no
PermitRootLogin prohibit-password
SetEnv HOME=$remote
ForceCommand cd && PATH="$prefix/bin:\$PATH" exec bash -c "\$SSH_ORIGINAL_COMMAND"
CONF
echo "[127.0.0.1]:$port $(cut -d' ' -f1,2 "$ssh_dir/host_key.pub")" >"$ssh_dir/known_hosts"
cat >"$ssh_dir/config" <<CONF
Host bearings-remote
  HostName 127.0.0.1
  Port $port
  User $(id -un)
  IdentityFile $ssh_dir/user_key
  IdentitiesOnly yes
  UserKnownHostsFile $ssh_dir/known_hosts
  GlobalKnownHostsFile /dev/null
  StrictHostKeyChecking yes
  BatchMode yes
CONF
[ -d /run/sshd ] || { mkdir -m 755 /run/sshd && made_privsep=yes; }
/usr/sbin/sshd -D -f "$ssh_dir/sshd_config" -E "$ssh_dir/sshd.log" &
DAEMON_PIDS+=($!)
export PARALLEL_SSH="ssh -F $ssh_dir/config"
# A login works and starts in the remote home; its answer is left in OUT.
logged_in() { OUT=$(timeout 10 $PARALLEL_SSH bearings-remote 'echo "$PWD"' 2>&1) && [ "$OUT" = "$remote" ]; }
wait_until 20 logged_in || abort "no login to the private sshd: '$OUT' $(cat "$ssh_dir/sshd.log")"

# 83-86 s at 10 fps in two parts, the seam at 84.5 s, after the cut at 84 s.
from=83000 to=86000
(cd "$SHOW_DIR" && timeout 600 ./bearings-capture --video "$SCRATCH/one.mp4" --lossless --from $from --to $to --fps 10 >/dev/null 2>&1)
framemd5 "$SCRATCH/one.mp4" >"$SCRATCH/one.md5"

# The default work folder, under TMPDIR, goes once the parts are joined.
mkdir -p "$SCRATCH/tmp"
logins=$(grep -c 'Accepted publickey' "$ssh_dir/sshd.log")
OUT=$(TMPDIR="$SCRATCH/tmp" timeout 600 "$root/scripts/export-parallel.sh" --parts 2 --jobs 2 --sshlogin bearings-remote \
  --from $from --to $to --fps 10 --lossless "$SCRATCH/joined.mp4" 2>&1)
status=$?
framemd5 "$SCRATCH/joined.mp4" >"$SCRATCH/joined.md5"
logins=$(($(grep -c 'Accepted publickey' "$ssh_dir/sshd.log") - logins))
if [ "$status" -eq 0 ] && [ "$(grep -c '^0,' "$SCRATCH/one.md5")" -eq 30 ] && cmp -s "$SCRATCH/one.md5" "$SCRATCH/joined.md5" \
   && [ "$logins" -ge 4 ]; then
  pass "2 parts made over ssh ($logins logins), back over rsync and joined, decode to the one-process export's 30 frames and its samples"
else
  fail "ssh export: status $status, $logins logins, '$(echo "$OUT" | tail -n 4)' $(diff "$SCRATCH/one.md5" "$SCRATCH/joined.md5" | head -n 2)"
fi
left_remote=$(find "$remote" -type f | tr '\n' ' ')
left_tmp=$(ls -A "$SCRATCH/tmp")
if [ -z "$left_remote" ] && [ -z "$left_tmp" ]; then
  pass "nothing is left on the remote side, and the default work folder is gone after the join"
else
  fail "left behind: remote '$left_remote', work folder '$left_tmp'"
fi

# The second part's capture fails on the remote machine, on each of its two tries.
cat >"$SCRATCH/flaky" <<TEXT
#!/bin/sh
case "\$*" in *part-002.mp4*) echo try >>"$SCRATCH/tries"; echo "made to fail" >&2; exit 3 ;; esac
exec bearings-capture "\$@"
TEXT
chmod +x "$SCRATCH/flaky"
OUT=$(TMPDIR="$SCRATCH/tmp" timeout 600 "$root/scripts/export-parallel.sh" --parts 2 --jobs 2 --sshlogin bearings-remote \
  --from $from --to $to --fps 10 --capture "$SCRATCH/flaky" "$SCRATCH/failed.mp4" 2>&1)
status=$?
kept=$(echo "$OUT" | sed -n 's/.*kept in \(.*\):$/\1/p')
if [ "$status" -eq 1 ] && [[ $OUT == *"part 002 (84500-86000 ms) on bearings-remote"* ]] && [ ! -e "$SCRATCH/failed.mp4" ] \
   && [ "$(wc -l <"$SCRATCH/tries")" -eq 2 ] && [ "$(dirname "$kept")" = "$SCRATCH/tmp" ] && [ -s "$kept/part-001.mp4" ] \
   && [ ! -e "$kept/part-002.mp4" ]; then
  pass "a part failing twice on the remote is named, nothing is joined, and the parts that came back are kept: $(echo "$OUT" | grep '^  part 002')"
else
  fail "remote failure: status $status, kept '$kept', '$OUT'"
fi

finish
