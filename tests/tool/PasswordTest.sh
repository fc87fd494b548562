#!/usr/bin/env bash
# Passwords kept off the command line: files, standard input and the
# terminal prompt (driven through a pseudo-terminal; no timing involved).
# Usage: PasswordTest.sh PATH-TO-quovex-tool
. "$(dirname "$0")/ToolTestSupport.sh"
PW="pass-密码12"
head -c 5000 /dev/urandom >a.bin

printf '%s\n' "$PW" >pw.txt
"$TOOL" init --user alice --password-file pw.txt --format scrambled vault 2>/dev/null || fail "init"
printf '%s\r\nnot this line\n' "$PW" | "$TOOL" store --user alice --password-stdin a.bin vault/FileBox 2>/dev/null ||
    fail "store with --password-stdin"
[ -e a.bin ] && fail "source kept after a store without --keep-source"
expect 0 "restore with --password-file (a \\r taken into the password?)" \
    restore --user alice --password-file pw.txt "vault/FileBox/a.bin.\$"
printf '%s' "$PW" >pw-no-newline.txt
expect 0 "a password file without a newline" \
    check --user alice --password-file pw-no-newline.txt vault >/dev/null

exec </dev/null  # standard input empty from here on
expect 2 "empty standard input" check --user alice --password-stdin vault
expect 2 "missing password file" check --user alice --password-file no-such-file vault
expect 2 "two password options" check --user alice --password-file pw.txt --password-stdin vault
expect 2 "no terminal to ask on" check --user alice vault
grep -q "password-file" err.txt || fail "no hint at the password options"

expect 0 "init of a protected vault" init --user alice --password-file pw.txt "${KDF[@]}" pv >/dev/null
python3 - "$TOOL" "$PW" "$WORK/vault" "$WORK/pv" <<'PY' || fail "terminal prompt"
import os, pty, select, signal, sys, termios
tool, password, vault, protected = sys.argv[1], sys.argv[2].encode(), sys.argv[3], sys.argv[4]

# What the tool writes up to `wanted`, or with None up to its end. The
# timeout only keeps a broken tool from hanging the test.
def read_until(fd, wanted):
    seen = b""
    while wanted is None or wanted not in seen:
        if not select.select([fd], [], [], 60)[0]:
            sys.exit("no %r from the tool, only %r" % (wanted, seen))
        try:
            chunk = os.read(fd, 1024)
        except OSError:  # the tool has gone and closed the terminal
            chunk = b""
        if not chunk and wanted is None:
            return seen
        if not chunk:
            sys.exit("tool ended before %r: %r" % (wanted, seen))
        seen += chunk
    return seen

def echo_on(fd):
    return bool(termios.tcgetattr(fd)[3] & termios.ECHO)

def prompted(pid, fd, prompt):
    read_until(fd, prompt)
    assert not echo_on(fd), "echo on at %r" % prompt
    # The prompt goes out before the read starts, and a signal that comes
    # in between is noted but ends no read: wait until the tool sleeps in it.
    while open("/proc/%d/stat" % pid).read().rsplit(")", 1)[1].split()[0] in "RD":
        os.sched_yield()

def start(args=("check", "--user", "alice", vault)):
    pid, fd = pty.fork()
    if pid == 0:
        os.execv(tool, [tool, *args])
    prompted(pid, fd, b"Password for alice: ")
    assert password not in open("/proc/%d/cmdline" % pid, "rb").read()
    return pid, fd

# Types line at the prompt; what the tool writes after it, which must end
# with exit status code and echo back on.
def answer(pid, fd, line, code):
    os.write(fd, line + b"\n")
    rest = read_until(fd, None)
    _, status = os.waitpid(pid, 0)
    assert os.WIFEXITED(status) and os.WEXITSTATUS(status) == code, (status, rest)
    assert echo_on(fd), "echo left off"
    return rest

rest = answer(*start(), password, 0)
assert password not in rest and b"1 stored file(s) read, 0 damaged" in rest, rest
# A line longer than any password is refused rather than cut short.
rest = answer(*start(), b"x" * 2000, 2)
assert b"too long" in rest and b"x" * 10 not in rest, rest

held = os.environ.get("QUOVEX_SIGNALS_HELD")
stops = (lambda pid, fd: os.write(fd, b"\x03"), lambda pid, fd: os.kill(pid, signal.SIGTERM))
for stop in () if held else stops:
    pid, fd = start()
    stop(pid, fd)
    _, status = os.waitpid(pid, 0)
    assert os.WIFSIGNALED(status), status
    assert echo_on(fd), "echo left off after a signal"

# A stop (here discarded at once: the tool's process group has no parent in
# its session) asks again, with echo off again.
if not held:
    pid, fd = start()
    os.kill(pid, signal.SIGTSTP)
    prompted(pid, fd, b"Password for alice: ")
    answer(pid, fd, password, 0)

# A new password is typed twice; two that differ change nothing.
for again, code in ((b"new-pasz", 2), (b"new-pass", 0)):
    pid, fd = start(("passwd", "--user", "alice", "--kdf-passes", "1", "--kdf-memory", "1",
                     protected))
    os.write(fd, password + b"\n")
    prompted(pid, fd, b"New password for alice: ")
    os.write(fd, b"new-pass\n")
    prompted(pid, fd, b"Type it again: ")
    answer(pid, fd, again, code)
PY
printf 'new-pass\n' >new.txt
expect 0 "the password typed twice" check --user alice --password-file new.txt pv

# The tool keeps its secrets in: while it waits for its password it writes
# no core file any more, whatever limit it was started with. The wait only
# bounds a broken tool; a working one gets there at once.
mkfifo pw.fifo
( ulimit -c unlimited 2>/dev/null; exec "$TOOL" check --user alice --password-stdin pv \
    <pw.fifo >/dev/null 2>&1 ) &
pid=$!
exec 3>pw.fifo
for _ in $(seq 600); do
    grep -qE "^Max core file size +0 +0 " "/proc/$pid/limits" 2>/dev/null && break
    sleep 0.1
done
grep -qE "^Max core file size +0 +0 " "/proc/$pid/limits" || fail "the tool may still write a core file"
echo new-pass >&3
exec 3>&-
wait "$pid" || fail "the tool waiting for its password did not check the vault"

finish "password"
