#!/usr/bin/env python3
"""make test-system: Zarn's package carrying out real tasks in a Debian 12 guest under qemu.

Usage: run.py <zarn .deb> [scenario ...]   (no scenario names: all but those in $ZARN_SYSTEM_SKIP)
$ZARN_SYSTEM_ACCEL=kvm|tcg forces qemu's accelerator; else KVM when a probe boot shows that it runs
a guest here, and TCG when it does not.
The guests also get the stand-in notification server, $ZARN_FAKE_NOTIFIER (else
build/bin/fake-notifier), as alice's.

Builds (or takes from the cache) a guest image with mmdebstrap from the host's apt sources, boots
two guests from copy-on-write overlays, installs the package in each with apt as a user would, and
drives them from outside: commands over a second serial port (tests/system/guest-agent), power
state over QMP. Every deadline T is a whole minute of the guest's clock; times are printed
against it. Nothing here acts on the host: the host only starts, watches and ends qemu.
"""
import base64, collections, contextlib, hashlib, json, math, os, re, select, shlex, shutil, signal
import socket, subprocess, sys, tempfile, threading, time
from pathlib import Path

HERE = Path(__file__).resolve().parent
PASSWORD = "Pa55 w0rd;$(id)"  # alice's, full of shell syntax
HELPER = "/usr/libexec/zarn/zarn-shutdown"
SUDO = "sudo -S -k -p ''"  # the application's own prefix; the password goes to its stdin
SLACK = 10  # seconds the guest may take after T
# The stand-in notification server (tests/helper/FakeNotifier.cpp), run in the guest as alice.
FAKE_NOTIFIER = Path(os.environ.get("ZARN_FAKE_NOTIFIER") or
                     HERE.parents[1] / "build" / "bin" / "fake-notifier")
CALLS = "/tmp/notify-calls"  # its record of the Notify calls
MONITOR = "/tmp/notify-monitor"  # the Notify calls to a real server, as busctl monitor saw them
# The guest's own test programs, beside the package: the user's way through the accessibility bus,
# and dunst's menu program, which picks the button named in /tmp/dunst-pick.
GUEST_TOOLS = {"user-way": "zarn-user-way", "dunst-pick": "zarn-dunst-pick"}
ALICE_BUS = "unix:path=/run/user/1000/bus"  # she lingers: her bus is there without a login
ALICE = f"runuser -u alice -- env XDG_RUNTIME_DIR=/run/user/1000 DBUS_SESSION_BUS_ADDRESS={ALICE_BUS}"
GUEST_PACKAGES = ["linux-image-amd64", "systemd-sysv", "udev", "dbus", "dbus-user-session",
                  "dbus-bin", "libpam-systemd", "sudo", "tzdata", "procps", "kmod",
                  # alice's desktop: a display, a real notification server that her bus starts on
                  # demand, and the accessibility bus with the library screen readers use
                  "xvfb", "fonts-dejavu-core", "dunst", "at-spi2-core", "python3-pyatspi"]
# A kernel that runs prints its first line within a second under KVM. A /dev/kvm that opens on a
# processor without virtualisation makes qemu run nothing, and print nothing, for ever.
PROBE_LIMIT = 15
MMDEBSTRAP = ["--variant=apt", "--dpkgopt=path-exclude=/usr/share/doc/*",
              "--dpkgopt=path-exclude=/usr/share/man/*"]


class Failure(Exception):
    """A scenario saw something else than it expected; the text says what."""


# ---- the base image, cached outside the work tree and keyed by everything that goes into it

def apt_sources():
    d = Path("/etc/apt/sources.list.d")
    files = [Path("/etc/apt/sources.list")] + sorted(d.glob("*.list")) + sorted(d.glob("*.sources"))
    found = [f for f in files if f.is_file() and
             any(l.strip() and not l.lstrip().startswith("#") for l in f.read_text().splitlines())]
    if not found:
        sys.exit("test-system: the host's apt configuration names no package mirror")
    return found


def package_depends(deb):
    """The first alternative of each of the package's dependencies, without versions."""
    field = subprocess.run(["dpkg-deb", "-f", deb, "Depends"], check=True, capture_output=True,
                           text=True).stdout
    return sorted({d.split("|")[0].split("(")[0].strip() for d in field.split(",") if d.strip()})


def base_image(deb):
    packages = GUEST_PACKAGES + package_depends(deb)
    sources = apt_sources()
    key = hashlib.sha256(json.dumps([packages, MMDEBSTRAP] + [f.read_text() for f in sources] + [
        (HERE / f).read_text() for f in ("guest-setup", "guest-agent")]).encode()).hexdigest()[:16]
    cache = Path(os.environ.get("ZARN_SYSTEM_CACHE") or
                 Path(os.environ.get("XDG_CACHE_HOME") or Path.home() / ".cache") / "zarn-test-system")
    image = cache / key
    if (image / "base.img").exists():
        return image
    print(f"test-system: building the guest image {key} (a few minutes)", flush=True)
    if os.geteuid() != 0:
        sys.exit("test-system: building the guest image takes root (mmdebstrap, mkfs.ext4 -d)")
    cache.mkdir(parents=True, exist_ok=True)
    for old in cache.iterdir():
        shutil.rmtree(old, ignore_errors=True)
    work = Path(tempfile.mkdtemp(dir=cache, prefix="new-"))
    root = work / "root"
    env = dict(os.environ, ZARN_GUEST_PASSWORD=PASSWORD)
    subprocess.run(["mmdebstrap", "--quiet", *MMDEBSTRAP, "--include=" + ",".join(packages),
                    f"--customize-hook={HERE / 'guest-setup'}", "bookworm", str(root),
                    *map(str, sources)], check=True, env=env)
    for name in ("vmlinuz", "initrd.img"):
        shutil.copy(next(root.glob(f"boot/{name}-*")), work / name)
    subprocess.run(["mkfs.ext4", "-q", "-F", "-L", "zarn", "-d", str(root),
                    str(work / "base.img"), "3G"], check=True, stdout=subprocess.DEVNULL)
    shutil.rmtree(root)
    work.rename(image)
    return image


# ---- the accelerator: KVM where it really runs a guest, else TCG

def forced_accel():
    """$ZARN_SYSTEM_ACCEL, checked before anything takes minutes; "" when unset."""
    forced = os.environ.get("ZARN_SYSTEM_ACCEL", "")
    if forced not in ("", "kvm", "tcg"):
        sys.exit(f"test-system: ZARN_SYSTEM_ACCEL is {forced!r}, not kvm or tcg")
    return forced


def choose_accel(kernel, qemu="qemu-system-x86_64", kvm="/dev/kvm", limit=PROBE_LIMIT):
    """The accelerator for the guests and why it was chosen."""
    forced = forced_accel()
    if forced:
        return forced, "set by ZARN_SYSTEM_ACCEL"
    try:
        os.close(os.open(kvm, os.O_RDWR | os.O_CLOEXEC))
    except OSError as error:
        return "tcg", f"{kvm} cannot be opened: {error.strerror}"
    failure = probe_boot(kernel, "kvm", qemu, limit)
    return ("kvm", "a probe boot ran under it") if failure is None else \
        ("tcg", f"KVM ran no guest: {failure}")


def probe_boot(kernel, accel, qemu, limit):
    """Boots `kernel` alone, printing from its first instruction on (no `quiet`, an early
    console): None once it prints its version, else why not. qemu is always ended."""
    started = time.monotonic()
    with tempfile.TemporaryFile() as errors:
        process = subprocess.Popen([
            qemu, "-machine", f"pc,accel={accel}", "-m", "256", "-smp", "1", "-display", "none",
            "-nodefaults", "-no-user-config", "-nic", "none", "-no-reboot", "-serial", "stdio",
            "-kernel", str(kernel), "-append", "console=ttyS0 earlyprintk=ttyS0 panic=-1"],
            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=errors,
            start_new_session=True)
        printed, anything, stopped = b"", False, False
        try:
            while b"Linux version" not in printed and time.monotonic() < started + limit:
                ready, _, _ = select.select([process.stdout], [], [], 0.2)
                chunk = os.read(process.stdout.fileno(), 4096) if ready else b""
                printed, anything = printed[-64:] + chunk, anything or bool(chunk)
                if ready and not chunk:  # the end of its output: qemu has stopped
                    stopped = True
                    break
        finally:
            with contextlib.suppress(ProcessLookupError):
                os.killpg(process.pid, signal.SIGKILL)
            status = process.wait()
            process.stdout.close()
        if b"Linux version" in printed:
            return None
        errors.seek(0)
        said = " ".join(errors.read().decode(errors="replace").split())[-300:]
        if stopped:
            return f"qemu stopped after {time.monotonic() - started:.1f} s with status " \
                   f"{status}: {said or 'nothing said'}"
        return ("its console showed no kernel" if anything else "its console stayed empty") + \
            f" for {limit} s" + (f" ({said})" if said else "")


# ---- one guest: qemu, its QMP events and its command agent

class Guest:
    def __init__(self, name, image, workdir, package_disk, accel):
        self.name, self.image, self.dir, self.package_disk = name, image, workdir, package_disk
        self.accel = accel
        self.overlay = workdir / f"{name}.qcow2"
        subprocess.run(["qemu-img", "create", "-q", "-f", "qcow2", "-F", "raw", "-b",
                        str(image / "base.img"), str(self.overlay)], check=True)
        self.qemu = None
        self.offset = 0.0  # guest clock minus host clock

    def boot(self):
        """Starts qemu and waits until the agent answers."""
        d, s = self.dir, self.name
        for sock in (d / f"{s}.qmp", d / f"{s}.ctl"):
            sock.unlink(missing_ok=True)
        self.log = d / f"{s}.qemu"
        self.log_start = self.log.stat().st_size if self.log.exists() else 0  # this boot's part
        self.qemu = subprocess.Popen([
            "qemu-system-x86_64", "-machine", f"pc,accel={self.accel}", "-m", "1024", "-smp", "1",
            "-display", "none", "-nodefaults", "-no-user-config", "-nic", "none",
            "-rtc", "base=utc", "-global", "PIIX4_PM.disable_s3=0",
            "-chardev", f"file,id=con,path={d / s}.console", "-serial", "chardev:con",
            "-chardev", f"socket,id=ctl,path={d / s}.ctl,server=on,wait=off", "-serial", "chardev:ctl",
            "-qmp", f"unix:{d / s}.qmp,server=on,wait=off",
            "-kernel", str(self.image / "vmlinuz"), "-initrd", str(self.image / "initrd.img"),
            "-append", "root=/dev/vda rw console=ttyS0,115200 quiet",
            "-drive", f"file={self.overlay},format=qcow2,if=virtio",
            "-drive", f"file={self.package_disk},format=raw,if=virtio,readonly=on"],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=open(self.log, "a"))
        for _ in range(100):
            self.check_running()
            if (d / f"{s}.ctl").exists() and (d / f"{s}.qmp").exists():
                break
            time.sleep(0.1)
        self.events, self.replies, self.lock = [], [], threading.Condition()
        self.qmp = socket.socket(socket.AF_UNIX)
        self.qmp.connect(str(d / f"{s}.qmp"))
        threading.Thread(target=self._read_qmp, args=(self.qmp.makefile("rb"),), daemon=True).start()
        self.qmp_command("qmp_capabilities")
        self.ctl = socket.socket(socket.AF_UNIX)
        self.ctl.connect(str(d / f"{s}.ctl"))
        self.answers, self.serial = {}, 0
        threading.Thread(target=self._read_ctl, args=(self.ctl.makefile("rb"),), daemon=True).start()
        self.wait_for_agent(240)

    def check_running(self):
        """Raises Failure, with what qemu said, once qemu has stopped."""
        if self.qemu.poll() is not None:
            with open(self.log, "rb") as log:
                log.seek(self.log_start)
                said = log.read().decode(errors="replace").strip()
            raise Failure(f"qemu stopped with status {self.qemu.returncode}: "
                          f"{said.splitlines()[-1] if said else 'nothing said'}")

    def _read_qmp(self, stream):
        for line in stream:
            message = json.loads(line)
            with self.lock:
                if "event" in message:
                    t = message["timestamp"]
                    self.events.append((message["event"], t["seconds"] + t["microseconds"] / 1e6))
                elif "return" in message or "error" in message:
                    self.replies.append(message)
                self.lock.notify_all()
        with self.lock:
            self.events.append(("QMP-CLOSED", time.time()))
            self.lock.notify_all()

    def _read_ctl(self, stream):
        for line in stream:
            parts = line.decode(errors="replace").split()
            if len(parts) >= 2 and parts[1].isdigit():
                with self.lock:
                    out = base64.b64decode(parts[2]).decode(errors="replace") if len(parts) > 2 else ""
                    self.answers[parts[0]] = (int(parts[1]), out)
                    self.lock.notify_all()

    def qmp_command(self, command, **arguments):
        with self.lock:
            self.replies.clear()
            self.qmp.sendall(json.dumps({"execute": command, "arguments": arguments}).encode())
            if not self.lock.wait_for(lambda: self.replies, 10):
                raise Failure(f"QMP {command}: no answer")
            return self.replies.pop(0).get("return")

    def status(self):
        try:
            return self.qmp_command("query-status")["status"]
        except (Failure, OSError):
            return "gone"

    def run(self, script, timeout=120, check=True):
        """Runs a bash script as root in the guest; its exit status and output (stderr included)."""
        self.serial += 1
        key = f"{self.name}{self.serial}"
        with self.lock:
            self.ctl.sendall(f"{key} {base64.b64encode(script.encode()).decode()}\n".encode())
            if not self.lock.wait_for(lambda: key in self.answers, timeout):
                raise Failure(f"no answer from the guest to: {script}")
            status, out = self.answers.pop(key)
        if check and status != 0:
            raise Failure(f"{script}\n  exited {status}: {out}")
        return status, out

    def wait_for_agent(self, limit):
        """Pings until the agent answers: after a boot or a wake, early input is lost."""
        end = time.time() + limit
        while time.time() < end:
            self.check_running()
            try:
                self.run("true", timeout=3)
                break
            except (Failure, OSError):  # OSError: qemu went with the socket; checked above
                time.sleep(0.1)
        else:
            raise Failure(f"the guest's agent did not answer within {limit} s")
        before = time.time()
        guest = float(self.run("date +%s.%N")[1])
        self.offset = guest - (before + time.time()) / 2

    def event(self, name, until_guest_time, since=0.0):
        """Guest time of the first `name` event after host time `since`, or None by the limit."""
        def found():
            return next((t for e, t in self.events if e == name and t >= since), None)
        with self.lock:
            self.lock.wait_for(lambda: found() is not None or any(
                e == "QMP-CLOSED" for e, _ in self.events),
                max(0.0, until_guest_time - self.offset - time.time()))
            t = found()
        return None if t is None else t + self.offset

    def now(self):
        return time.time() + self.offset

    def sleep_until(self, guest_time):
        time.sleep(max(0.0, guest_time - self.now()))

    def next_minute(self, lead):
        """The first whole minute of the guest's clock at least `lead` seconds away."""
        return math.ceil((self.now() + lead) / 60) * 60

    def schedule(self, tail, deadline, password=PASSWORD, check=True):
        """Schedules as the application does: alice's sudo with the password on its stdin."""
        return self.as_alice(f"{SUDO} {HELPER} {tail} $(date -d @{deadline} +%y%m%d%H%M)",
                             password, check)

    def as_alice(self, command, password, check=True):
        return self.run(f"printf '%s\\n' {shlex.quote(password)} | runuser -u alice -- "
                        f"sh -c {shlex.quote(command)}", check=check)

    def task_pid(self):
        return self.run("pgrep -x -u root zarn-shutdown || true")[1].strip()

    def journal(self, boot=None):
        """The helper's lines of this boot, or of the boot of that id. Not `-b -1`: a clock set
        back puts an earlier boot's entries after a later one's, and boot offsets follow them."""
        which = f"_BOOT_ID={boot}" if boot else "-b 0"
        return self.run(f"journalctl {which} -t zarn-shutdown -o cat --no-pager")[1]

    def clock(self, t, form="%H:%M"):
        """The guest's local time `t` as `date` writes it: the notices name their time so."""
        return self.run(f"date -d @{t} +{form}")[1].strip()

    def boot_id(self):
        return self.run("cat /proc/sys/kernel/random/boot_id")[1].strip().replace("-", "")

    def stop(self):
        if self.qemu and self.qemu.poll() is None:
            self.qemu.kill()
            self.qemu.wait()


def at(t, deadline):
    return "never" if t is None else f"T{t - deadline:+.1f} s"


def within(t, deadline, early=0.0, late=SLACK):
    return t is not None and deadline - early <= t <= deadline + late


def install(g):
    g.run("mkdir -p /mnt/package && mount -o ro /dev/vdb /mnt/package && "
          "apt-get install -y -q /mnt/package/zarn_*.deb >/tmp/install.log 2>&1 "
          "|| { cat /tmp/install.log; exit 1; }; "
          "install -m 0755 /mnt/package/fake-notifier /usr/local/bin/; " +
          "".join(f"install -m 0755 /mnt/package/{f} /usr/local/bin/{t}; "
                  for f, t in GUEST_TOOLS.items()) +
          "umount /mnt/package; mkdir -p ~alice/.config/dunst; printf '[global]\\n"
          "    dmenu = /usr/local/bin/zarn-dunst-pick\\n' >~alice/.config/dunst/dunstrc; "
          "chown -R alice: ~alice/.config", timeout=300)
    desktop(g)
    return "installed"


# ---- alice's notification server: the stand-in records every Notify with the guest's time

# Waits for alice's bus: after a boot her manager, which she has by lingering, may come after the
# agent.
ALICE_BUS_UP = "for i in $(seq 300); do [ -S /run/user/1000/bus ] && break; sleep 0.1; done; "

Call = collections.namedtuple("Call", "time summary body keys")


def listen(g, *options):
    """Starts the stand-in on alice's session bus; --invoke KEY "clicks" that action once."""
    unlisten(g)
    g.run(f"{ALICE_BUS_UP}rm -f {CALLS} {CALLS}.ready; runuser -u alice -- env "
          f"DBUS_SESSION_BUS_ADDRESS={ALICE_BUS} setsid -f fake-notifier {CALLS} --times "
          f"--lifetime 1800 {' '.join(options)} >/dev/null 2>&1 </dev/null; "
          f"for i in $(seq 100); do [ -e {CALLS}.ready ] && exit 0; sleep 0.1; done; "
          f"echo the notification server did not start; exit 1")


def unlisten(g):
    """Ends every notification server of alice's and the recorder; dunst may run since a notice
    started it."""
    g.run(f"pkill -x fake-notifier; pkill -u alice -x busctl; {ALICE} systemctl --user stop dunst; "
          f"pkill -u alice -x dunst; rm -f {CALLS} {MONITOR}*; for i in $(seq 50); do "
          f"pgrep -u alice -x 'dunst|fake-notifier' "
          f">/dev/null || exit 0; sleep 0.1; done; echo a notification server stays; exit 1")


def desktop(g):
    """alice's desktop from now on, in every boot: her display :1, a service of her user manager,
    and DISPLAY in the environment that her manager and her bus give what they start, so that the
    notification server that her bus starts on demand shows on it, as on a light desktop."""
    g.run(f"""set -e; cd ~alice/.config; mkdir -p environment.d systemd/user/default.target.wants
echo DISPLAY=:1 >environment.d/display.conf
printf '[Service]\\nExecStart=/usr/bin/Xvfb :1 -nolisten tcp\\n[Install]\\nWantedBy=default.target\\n' \\
    >systemd/user/zarn-display.service
ln -sf ../zarn-display.service systemd/user/default.target.wants/
chown -R alice: ~alice/.config
{ALICE_BUS_UP}
{ALICE} sh -c 'systemctl --user daemon-reload && systemctl --user start zarn-display &&
    dbus-update-activation-environment --systemd DISPLAY=:1'
for i in $(seq 100); do [ -e /tmp/.X11-unix/X1 ] && exit 0; sleep 0.1; done; echo no display; exit 1""")


def listen_dunst(g):
    """dunst, installed and not running, as alice's notification server: her bus starts it on the
    first notification. busctl monitor records the Notify calls."""
    unlisten(g)
    # busctl says on stderr that it monitors, or why it cannot; only a running one monitors.
    g.run(f"{ALICE_BUS_UP}{ALICE} setsid -f busctl --user monitor --json=short --match "
          f"'type=method_call,interface=org.freedesktop.Notifications,member=Notify' >{MONITOR} "
          f"2>{MONITOR}.ready </dev/null; for i in $(seq 100); do [ -s {MONITOR}.ready ] && "
          f"break; sleep 0.1; done; sleep 0.2; pgrep -u alice -x busctl >/dev/null && exit 0; "
          f"echo busctl monitor did not start:; cat {MONITOR}.ready; exit 1")


def press(g, button):
    """Opens dunst's menu of the buttons shown, as its keyboard shortcut does, and picks the one
    whose label holds `button`: the buttons it offered."""
    g.run(f"rm -f /tmp/dunst-menu; echo {shlex.quote(button)} >/tmp/dunst-pick; "
          f"{ALICE} DISPLAY=:1 dunstctl context; for i in $(seq 100); do "
          f"[ -e /tmp/dunst-menu ] && break; sleep 0.1; done")
    return re.findall(r"^#(.*) \(", g.run("cat /tmp/dunst-menu", check=False)[1], re.M)


def notify_calls(g):
    calls = []
    for line in g.run(f"cat {CALLS} {MONITOR} 2>/dev/null; true")[1].splitlines():
        fields = line.split("\t")
        if len(fields) == 10:
            calls.append(Call(int(fields[9]) / 1000, fields[3], fields[4], fields[5]))
        elif line.startswith("{"):
            message = json.loads(line)
            _, _, _, summary, body, actions, *_ = message["payload"]["data"]
            calls.append(Call(message["timestamp-realtime"] / 1e6, summary, body,
                              ",".join(actions[0::2])))
    return calls


def shown(calls, deadline):
    return "; ".join(f"{at(c.time, deadline)} {c.summary!r} [{c.keys}]" for c in calls) or "none"


def warned(calls, deadline):
    """Whether the warnings (the calls offering actions) came 5 min and 1 min before `deadline`,
    both with the buttons Cancel and Postpone."""
    seen = [c for c in calls if c.keys]
    return len(seen) == 2 and all(within(c.time, w, 0, 5) and c.keys == "cancel,postpone"
                                  for c, w in zip(seen, (deadline - 300, deadline - 60)))


def notice(g, text, deadline, body=""):
    """The one notice without buttons whose summary holds `text`, as a result's words."""
    calls = notify_calls(g)
    found = [c for c in calls if text in c.summary and body in c.body and not c.keys]
    if len(found) != 1:
        raise Failure(f"not one notice {text!r} {body!r}; the Notify calls: "
                      f"{shown(calls, deadline)}")
    return f"notice {found[0].summary!r} {at(found[0].time, deadline)}"


# ---- the scenarios: each returns what it measured, or raises Failure with what it saw

def one_task(g):
    """A second task is refused; the terminal's `zarn --show` prints the first one's record."""
    g.deadline = g.next_minute(50)
    g.schedule("-h", g.deadline)
    status, out = g.schedule("-h", g.deadline, check=False)
    if status == 0 or "a task is already scheduled" not in out:
        raise Failure(f"second schedule: exit {status}: {out}")
    record = g.run(f"runuser -u alice -- {HELPER} --show")[1]
    answer = g.run("runuser -u alice -- env -u DISPLAY zarn --show", check=False)
    if answer != (0, record) or record.split()[:1] != [g.task_pid()]:
        raise Failure(f"zarn --show: {answer}; the record: {record!r}")
    return "second refused: " + out.strip().splitlines()[-1] + "; zarn --show printed the record"


def cancel(g):
    pid = g.task_pid()
    listen(g)
    status, out = g.as_alice(f"{SUDO} {HELPER} -c {pid}", "wrong " + PASSWORD, check=False)
    if status == 0 or g.task_pid() != pid:
        raise Failure(f"a wrong password: exit {status}: {out}; task now {g.task_pid() or 'gone'}")
    result = end_task(g, pid) + "; " + notice(g, f"at {g.clock(g.deadline)} is cancelled",
                                              g.deadline)
    unlisten(g)
    return result


def cancel_task(g, pid):
    """End Task's command with the right password; what --show printed right after it. Returns
    once the process has ended: the record goes at once, but the process still tells the user,
    which may start a server first, so a scenario that then ends the servers ends them all."""
    g.as_alice(f"{SUDO} {HELPER} -c {pid}", PASSWORD)
    shown = g.run(f"runuser -u alice -- {HELPER} --show", check=False)[1]
    g.run(f"for i in $(seq 400); do kill -0 {pid} 2>/dev/null || exit 0; sleep 0.1; done; exit 1",
          check=False)
    return shown


def end_task(g, pid):
    """End Task's command with the right password ends the task: nothing happens at T."""
    shown = cancel_task(g, pid)
    if shown or g.task_pid():
        raise Failure(f"the right password left --show {shown!r}, pid {g.task_pid() or 'none'}")
    g.sleep_until(g.deadline + SLACK)
    if g.status() != "running" or g.event("SHUTDOWN", 0) is not None:
        raise Failure(f"the guest at T+{SLACK} s: {g.status()}")
    return f"running at T+{SLACK} s"


def upgrade(g):
    """The package installed again under a waiting task: the probe still finds it, End Task ends it."""
    g.deadline = g.next_minute(40)
    g.schedule("-h", g.deadline)
    g.run("mount -o ro /dev/vdb /mnt/package && dpkg -i /mnt/package/zarn_*.deb >/tmp/dpkg.log "
          "2>&1 || { cat /tmp/dpkg.log; exit 1; }; umount /mnt/package", timeout=300)
    pid = g.task_pid()
    exe = g.run(f"readlink /proc/{pid}/exe")[1]
    shown = g.run(f"runuser -u alice -- {HELPER} --show")[1]
    if "(deleted)" not in exe or shown.split()[:1] != [pid]:
        raise Failure(f"pid {pid} runs {exe}; --show as alice: {shown!r}")
    return "file replaced, probe found it; " + end_task(g, pid)


def clock_jump(g):
    deadline = g.next_minute(20)
    g.schedule("-h", deadline)
    g.run(f"date -s @{deadline + 360} >/dev/null")
    time.sleep(SLACK)
    status, journal = g.status(), g.journal()
    g.run(f"date -s @{time.time() + g.offset:.3f} >/dev/null")
    if status != "running" or g.task_pid() or "missed" not in journal:
        raise Failure(f"status {status}, task {g.task_pid() or 'gone'}, journal:\n{journal}")
    return "clock set to T+6 min: not acted, logged as missed"


def sleep(g):
    deadline, since = g.next_minute(20), time.time()
    g.schedule("-s", deadline)
    suspended = g.event("SUSPEND", deadline + SLACK + 20, since)
    g.qmp_command("system_wakeup")
    g.wait_for_agent(60)
    if not within(suspended, deadline) or g.task_pid():
        raise Failure(f"suspended {at(suspended, deadline)}, task {g.task_pid() or 'gone'}, "
                      f"journal:\n{g.journal()}")
    return f"suspended {at(suspended, deadline)}"


def warnings(g):
    """Leaves its task to power_off; the notification server ends with the guest."""
    listen(g)
    g.deadline, g.since = g.next_minute(320), time.time()
    g.schedule("-h", g.deadline)
    g.sleep_until(g.deadline - 45)
    calls = notify_calls(g)
    if not warned(calls, g.deadline):
        raise Failure(f"Notify calls: {shown(calls, g.deadline)}; journal:\n{g.journal()}")
    return "Notify with Cancel and Postpone at " + \
        ", ".join(at(c.time, g.deadline) for c in calls if c.keys)


def power_off(g):
    if not hasattr(g, "since"):
        g.deadline, g.since = g.next_minute(20), time.time()
        g.schedule("-h", g.deadline)
    boot = g.boot_id()
    off = g.event("SHUTDOWN", g.deadline + SLACK + 30, g.since)
    if not within(off, g.deadline):
        raise Failure(f"powered off {at(off, g.deadline)}, status {g.status()}")
    g.qemu.wait(30)
    g.boot()
    journal = g.journal(boot)
    if "acting now: poweroff" not in journal:
        raise Failure(f"powered off {at(off, g.deadline)} but the journal of that boot:\n{journal}")
    return f"powered off {at(off, g.deadline)}; journal of that boot holds the helper's lines"


def restart(g):
    deadline, since = g.next_minute(20), time.time()
    g.schedule("-r", deadline)
    reset = g.event("RESET", deadline + SLACK + 30, since)
    if not within(reset, deadline):
        raise Failure(f"reset {at(reset, deadline)}, status {g.status()}, journal:\n{g.journal()}")
    g.wait_for_agent(240)
    return f"reset {at(reset, deadline)}, booted again"


def wake_alarm(g):
    """Suspended before the 1-minute warning, it wakes for it, warns, and powers off at T."""
    listen(g)
    deadline, since = g.next_minute(100), time.time()
    g.schedule("-h", deadline)
    g.run("(sleep 1; systemctl suspend) >/dev/null 2>&1 </dev/null &")
    suspended = g.event("SUSPEND", g.now() + 30, since)
    woke = g.event("WAKEUP", deadline + SLACK, since)
    warning = None
    if within(woke, deadline - 60, 15, 15):
        g.wait_for_agent(30)
        while warning is None and g.now() < deadline - 5:
            warning = next((c for c in notify_calls(g) if c.keys and c.time > woke - 2), None)
            time.sleep(1)
    off = g.event("SHUTDOWN", deadline + SLACK + 30, since)
    if suspended is None or suspended > deadline - 75 or not within(woke, deadline - 60, 15, 15) \
            or warning is None or not within(off, deadline):
        raise Failure(f"suspended {at(suspended, deadline)}, woke {at(woke, deadline)}, warned "
                      f"{at(warning and warning.time, deadline)}, powered off {at(off, deadline)}")
    return f"suspended {at(suspended, deadline)}, woke {at(woke, deadline)}, " \
           f"warned {at(warning.time, deadline)}, off {at(off, deadline)}"


def first_warning(g, deadline):
    """The first Notify call with buttons, once it has come."""
    while g.now() < deadline - 30:
        warning = next((c for c in notify_calls(g) if c.keys), None)
        if warning:
            return warning
        time.sleep(0.5)
    raise Failure(f"no warning by T-30 s; Notify calls: {shown(notify_calls(g), deadline)}; "
                  f"journal:\n{g.journal()}")


def server_started_on_demand(g):
    """dunst installed and not running: the 1-minute warning starts it through alice's bus, and
    it shows the warning."""
    listen_dunst(g)
    deadline = g.next_minute(70)
    before = g.run("pgrep -u alice -x dunst", check=False)[1].strip()
    g.schedule("-h", deadline)
    warning = first_warning(g, deadline)
    dunst = g.run("pgrep -u alice -x dunst", check=False)[1].strip()
    showing = g.run(f"{ALICE} DISPLAY=:1 dunstctl count displayed", check=False)[1].strip()
    if before or not dunst or showing != "1":
        raise Failure(f"dunst before: {before or 'none'}, after: {dunst or 'none'}, showing "
                      f"{showing!r}; Notify calls: {shown(notify_calls(g), deadline)}; "
                      f"journal:\n{g.journal()}")
    cancel_task(g, g.task_pid())
    unlisten(g)
    return f"not running before; warned {at(warning.time, deadline)}: dunst started on " \
           f"demand (pid {dunst}) and showed it"


def user_way(g):
    """The installed Zarn, as a screen reader user drives it through the accessibility bus, in
    English and in German: a restart scheduled and read back, End Task refused with a wrong
    password and done with the right one; nothing happens at T."""
    since, rows, deadlines = time.time(), [], []
    for language, lang in (("en", "C.UTF-8"), ("de", "de_DE.UTF-8")):
        command = f"DISPLAY=:1 LANG={lang} timeout 240 zarn-user-way {language} " + \
            shlex.quote(PASSWORD)
        status, out = g.run(f"su - alice -c {shlex.quote(command)}", timeout=300, check=False)
        found = re.search(r"^deadline (\d+)$", out, re.M)
        if status != 0 or not found:
            raise Failure(f"{language}: exit {status}:\n{out}\njournal:\n{g.journal()}")
        deadlines.append(int(found[1]))
        rows += [f"{language} {line}" for line in out.splitlines() if not line.startswith("dead")]
    g.sleep_until(max(deadlines) + SLACK)
    if g.status() != "running" or g.event("RESET", 0, since) or g.event("SHUTDOWN", 0, since):
        raise Failure(f"the guest at T+{SLACK} s: {g.status()}")
    return f"nothing at T+{SLACK} s\n    " + "\n    ".join(rows)


def cancel_from_notification(g):
    """Cancel, pressed in dunst's menu on the 1-minute warning, ends the task without the
    password: nothing happens at T."""
    listen_dunst(g)
    deadline, since = g.next_minute(75), time.time()
    g.schedule("-h", deadline)
    warning = first_warning(g, deadline)
    offered = press(g, "Cancel")
    for _ in range(100):
        if not g.task_pid():
            break
        time.sleep(0.1)
    calls = notify_calls(g)
    probe = g.run(f"runuser -u alice -- {HELPER} --show", check=False)[1]
    journal = g.journal()
    if probe or g.task_pid() or "cancelled from the notification" not in journal:
        raise Failure(f"Notify calls: {shown(calls, deadline)}; --show: {probe!r}; "
                      f"task {g.task_pid() or 'gone'}; journal:\n{journal}")
    told = notice(g, f"at {g.clock(deadline)} is cancelled", deadline)
    g.sleep_until(deadline + SLACK)
    if g.status() != "running" or g.event("SHUTDOWN", 0, since) is not None:
        raise Failure(f"the guest at T+{SLACK} s: {g.status()}")
    unlisten(g)
    return f"warned {at(warning.time, deadline)}, dunst offered {' / '.join(offered)}; " \
           f"Cancel: task and record gone; {told}; running at T+{SLACK} s"


def postpone(g):
    """Postpone, pressed in dunst's menu on the 1-minute warning: nothing at T, warnings again
    before T+10 min, off then."""
    listen_dunst(g)
    deadline, since = g.next_minute(75), time.time()
    later = deadline + 600
    g.schedule("-h", deadline)
    warning = first_warning(g, deadline)
    offered = press(g, "Postpone")
    g.sleep_until(max(g.now() + 5, deadline - 50))
    probe = g.run(f"runuser -u alice -- {HELPER} --show", check=False)[1].split()
    wanted = [f"stamp={g.clock(later, '%y%m%d%H%M')}",
              "deadline=" + time.strftime("%Y-%m-%dT%H:%M:%SZ", time.gmtime(later))]
    if not all(field in probe for field in wanted):
        raise Failure(f"--show: {' '.join(probe)!r}, not {' '.join(wanted)}; Notify calls: "
                      f"{shown(notify_calls(g), deadline)}; journal:\n{g.journal()}")
    told = notice(g, f"postponed to {g.clock(later)}", deadline)
    g.sleep_until(deadline + SLACK)
    if g.status() != "running" or g.event("SHUTDOWN", 0, since) is not None or not g.task_pid():
        raise Failure(f"the guest at T+{SLACK} s: {g.status()}, task {g.task_pid() or 'gone'}")
    g.sleep_until(later - 45)
    calls = [c for c in notify_calls(g) if c.time > deadline - 50]
    if not warned(calls, later):
        raise Failure(f"Notify calls after the postpone: {shown(calls, deadline)}")
    off = g.event("SHUTDOWN", later + SLACK + 30, since)
    if not within(off, later):
        raise Failure(f"powered off {at(off, deadline)}, status {g.status()}")
    return f"warned {at(warning.time, deadline)}, dunst offered {' / '.join(offered)}; " \
           f"Postpone: {told}; at T: running; warned " + \
        ", ".join(at(c.time, deadline) for c in calls if c.keys) + f"; off {at(off, deadline)}"


def missed_deadline(g):
    listen(g)
    deadline, since = g.next_minute(75), time.time()
    g.schedule("-h", deadline)
    # After the 1-minute warning: the kernel refuses to suspend within 2 s of an alarm timer,
    # and the task's wake alarm is due then. With the RTC's wake-up off, no alarm wakes it.
    g.sleep_until(deadline - 50)
    g.run("echo disabled >/sys/class/rtc/rtc0/device/power/wakeup; "
          "(sleep 1; systemctl suspend) >/dev/null 2>&1 </dev/null &")
    suspended = g.event("SUSPEND", g.now() + 30, since)
    g.sleep_until(deadline + 420)
    early_wake = g.event("WAKEUP", 0, since)
    g.qmp_command("system_wakeup")
    woke = g.now()
    g.wait_for_agent(60)
    g.run("echo enabled >/sys/class/rtc/rtc0/device/power/wakeup")
    off = g.event("SHUTDOWN", woke + 60, since)
    journal = g.journal()
    if suspended is None or suspended >= deadline or early_wake is not None or off is not None \
            or "missed" not in journal:
        raise Failure(f"suspended {at(suspended, deadline)}, woke early {at(early_wake, deadline)}, "
                      f"powered off {at(off, deadline)}, journal:\n{journal}")
    told = notice(g, f"Did not shut down at {g.clock(deadline)}", deadline, "asleep or off")
    unlisten(g)
    return f"woke {at(woke, deadline)}: no power off in 60 s, logged as missed; {told}"


def logout(g):
    """A task scheduled inside alice's login session outlives the end of that session."""
    results = []
    for how in ("terminate-session", "terminate-user", "logout"):
        deadline, since = g.next_minute(40), time.time()
        g.run("loginctl terminate-user alice 2>/dev/null; sleep 1")
        schedule = f"printf '%s\\n' {shlex.quote(PASSWORD)} | {SUDO} {HELPER} -h " \
                   f"$(date -d @{deadline} +%y%m%d%H%M)"
        if how == "logout":  # the session ends when the command does
            g.run(f"su - alice -c {shlex.quote(schedule)}")
        else:
            # Until the task record is written: the waiting process is in its scope by then.
            g.run(f"setsid -f su - alice -c {shlex.quote(schedule + '; exec sleep 900')} "
                  f">/dev/null 2>&1 </dev/null; for i in $(seq 300); do "
                  f"{HELPER} --show >/dev/null && break; sleep 0.1; done")
            session = g.run("loginctl list-sessions --no-legend | awk '$3 == \"alice\" {print $1}'")[1]
            g.run(f"loginctl {how} {'alice' if how == 'terminate-user' else session.split()[0]}")
        time.sleep(3)
        pid = g.task_pid()
        if not pid:
            raise Failure(f"killed by {how}; journal:\n{g.journal()}")
        cgroup = g.run(f"cat /proc/{pid}/cgroup")[1].strip()
        if not cgroup.endswith(f"/zarn-shutdown-{pid}.scope"):
            raise Failure(f"after {how} the waiting process lives in {cgroup}")
        results.append(how)
        if how != "logout":
            g.run(f"kill {pid}")
    off = g.event("SHUTDOWN", deadline + SLACK + 30, since)
    if not within(off, deadline):
        raise Failure(f"survived {', '.join(results)} but powered off {at(off, deadline)}")
    return f"survived {', '.join(results)}; powered off {at(off, deadline)}"


def scope_after_cancel(g):
    """A task scheduled in alice's login session as soon as End Task returns, while the cancelled
    task still sends its notice to a server that never answers, gets a scope of its own named
    with its pid, outlives `loginctl terminate-user` and powers off at T."""
    listen(g, "--silent")
    deadline, since = g.next_minute(40), time.time()
    g.schedule("-h", deadline)
    first = g.task_pid()
    password = f"printf '%s\\n' {shlex.quote(PASSWORD)}"
    # End Task, then Schedule Task, in one login session: -c waits 2 s for the cancelled task,
    # whose notice waits 5 s for an answer, so the new task starts while the old one still runs.
    # Then how long the old one still lived, in ms.
    session = f"{password} | {SUDO} {HELPER} -c {first} && {password} | {SUDO} {HELPER} -h " \
              f"$(date -d @{deadline} +%y%m%d%H%M) && " \
              f"echo first: $(cat /proc/{first}/cgroup 2>/dev/null || echo ended)"
    out = g.run(f"su - alice -c {shlex.quote(session)} && t=$(date +%s%N) && "
                f"for i in $(seq 150); do [ -e /proc/{first} ] || break; sleep 0.1; done; "
                f"echo lived $(( ($(date +%s%N) - t) / 1000000 ))")[1]
    started = re.search(r"\[pid (\d+)\]", out)
    before = re.search(r"^first: (.*)$", out, re.M)
    lived = int(out.split()[-1]) / 1000
    if not started or not before or before[1] == "ended" or lived > 14:
        raise Failure(f"not a task started while the cancelled one, {first}, still sent its "
                      f"notice and then ended: {out.strip()!r}; journal:\n{g.journal()}")
    pid = started[1]
    cgroup = g.run(f"cat /proc/{pid}/cgroup 2>/dev/null || echo gone")[1].strip()
    status = g.run("systemctl status --no-pager --full 'zarn-shutdown-*.scope'", check=False)[1]
    if not cgroup.endswith(f"/zarn-shutdown-{pid}.scope") or \
            f"zarn-shutdown-{pid}.scope" not in status or \
            not re.search(rf"^\s*\S*[─-]{pid} ", status, re.M):
        raise Failure(f"the new task {pid}: cgroup {cgroup} (the cancelled one's: {before[1]}); "
                      f"systemctl status:\n{status}\njournal:\n{g.journal()}")
    g.run("loginctl terminate-user alice; sleep 2")
    if g.task_pid() != pid:
        raise Failure(f"after terminate-user: task {g.task_pid() or 'gone'}, not {pid}; "
                      f"journal:\n{g.journal()}")
    unlisten(g)
    off = g.event("SHUTDOWN", deadline + SLACK + 30, since)
    if not within(off, deadline):
        raise Failure(f"survived terminate-user but powered off {at(off, deadline)}")
    return f"scheduled while the cancelled task sent its notice (it ended {lived:.1f} s " \
           f"later): own scope, in systemctl status, survived terminate-user; powered off " \
           f"{at(off, deadline)}"


# Each guest runs its scenarios in order, in one boot until one powers it off; the next then
# boots it again. The two take about as long: the postpone and the missed deadline, the longest
# waits, are in different guests.
GUESTS = {
    "a": [install, one_task, cancel, clock_jump, user_way, server_started_on_demand, warnings,
          power_off, postpone],
    "b": [install, missed_deadline, sleep, upgrade, cancel_from_notification, restart, logout,
          scope_after_cancel, wake_alarm],
}


def run_guest(name, scenarios, image, workdir, package_disk, accel, results):
    g = Guest(name, image, workdir, package_disk, accel)
    try:
        run_scenarios(g, scenarios, results)
    finally:
        g.stop()


def title_of(scenario):
    return "the user's way" if scenario is user_way else scenario.__name__.replace("_", " ")


def run_scenarios(g, scenarios, results):
    def record(title, ok, text):
        results.append((title, ok, text))
        print(f"test-system: guest {g.name}: {title}: {'PASS' if ok else 'FAIL'}", flush=True)

    broken = None
    try:
        g.boot()
    except Exception as error:  # noqa: BLE001 - one row for the guest, none for its scenarios
        record(f"guest {g.name} start", False, f"{error}\n  not run: " +
               ", ".join(map(title_of, scenarios)))
        return
    for scenario in scenarios:
        title = title_of(scenario)
        if broken:
            record(title, False, "not run: " + broken)
            continue
        try:
            if any(e == "SHUTDOWN" for e, _ in g.events):  # the last scenario powered it off
                g.qemu.wait(30)
                g.boot()
            record(title, True, scenario(g))
        except Exception as error:  # noqa: BLE001
            status = g.status()
            record(title, False, f"{error}\n  QMP status: {status}")
            if scenario is install:
                broken = "the package did not install"
                continue
            try:
                if status != "running":  # powered off or stuck asleep: the next one starts afresh
                    g.stop()
                    g.boot()
                # A guest slowed by the failure's leftovers may take a while to answer.
                g.run("pkill -x zarn-shutdown; pkill -x zarn; pkill -x fake-notifier; true",
                      timeout=60)
            except Exception as cleanup:  # noqa: BLE001
                broken = f"{title} left the guest {status}, and then: {cleanup}"


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    deb = Path(sys.argv[1]).resolve()
    if not FAKE_NOTIFIER.is_file():
        sys.exit(f"test-system: no {FAKE_NOTIFIER}: cmake --build build --target fake-notifier")
    wanted = {name.replace("-", "_") for name in sys.argv[2:]}
    skipped = {name.replace("-", "_") for name in
               os.environ.get("ZARN_SYSTEM_SKIP", "").replace(",", " ").split()}
    started = time.time()
    forced_accel()
    image = base_image(deb)
    accel, why = choose_accel(image / "vmlinuz")
    print(f"test-system: accelerator {accel}: {why}", flush=True)
    workdir = Path(tempfile.mkdtemp(prefix="zarn-test-system-"))
    try:
        (workdir / "package").mkdir()
        shutil.copy(deb, workdir / "package")
        shutil.copy(FAKE_NOTIFIER, workdir / "package")
        for tool in GUEST_TOOLS:
            shutil.copy(HERE / tool, workdir / "package")
        subprocess.run(["mkfs.ext4", "-q", "-d", str(workdir / "package"),
                        str(workdir / "package.img"), "16M"], check=True, stdout=subprocess.DEVNULL)
        results, threads = {}, []
        for name, scenarios in GUESTS.items():
            chosen = [s for s in scenarios if s is install or (
                s.__name__ in wanted if wanted else s.__name__ not in skipped)]
            if len(chosen) > 1:
                results[name] = []
                threads.append(threading.Thread(target=run_guest, args=(
                    name, chosen, image, workdir, workdir / "package.img", accel, results[name])))
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        rows = [r for name in results for r in results[name]]
        failed = [(title, text) for title, ok, text in rows if not ok]
        # What a failure saw (journals, consoles) comes first and the table last, so that the
        # end of the log, which is often all that is kept, names every scenario's result.
        for title, text in failed:
            print(f"\n--- {title}: what it saw\n{text}")
        for name in results if failed else ():
            console = workdir / f"{name}.console"
            if console.exists():
                print(f"\n--- guest {name}: end of its console\n" + "".join(
                    console.read_text(errors="replace").splitlines(True)[-15:]))
        print(f"\naccelerator: {accel} ({why})")
        print(f"{'scenario':24} {'result':6} measured against the deadline T")
        for title, ok, text in rows:
            first = (text.splitlines() or [""])[0][:200]
            print(f"{title:24} {'PASS' if ok else 'FAIL':6} {text if ok else first + ' (more above)'}")
        print(f"test-system: {len(rows) - len(failed)}/{len(rows)} passed in "
              f"{time.time() - started:.0f} s" + (f"; skipped: {' '.join(sorted(skipped))}"
                                                   if skipped and not wanted else ""))
        return 1 if failed else 0
    finally:
        shutil.rmtree(workdir, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
