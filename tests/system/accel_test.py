#!/usr/bin/env python3
"""The accelerator choice of run.py against stand-ins for qemu and /dev/kvm: KVM only where a
probe boot prints, every stand-in ended whatever it does."""
import os, shutil, sys, tempfile, time, unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import run  # noqa: E402

LIMIT = 2
STAND_INS = {  # what the stand-in qemu does once started
    "silent": "exec sleep 600",
    "stops": 'echo "Could not access KVM kernel module: No such device" >&2; exit 1',
    "boots": 'echo "[    0.000000] Linux version 6.1.0-test"; exec sleep 600',
}


class ChooseAccel(unittest.TestCase):
    def setUp(self):
        self.dir = Path(tempfile.mkdtemp(prefix="zarn-accel-"))
        self.kvm = self.dir / "kvm"
        self.kvm.touch()

    def tearDown(self):
        shutil.rmtree(self.dir)
        os.environ.pop("ZARN_SYSTEM_ACCEL", None)

    def stand_in(self, behaviour):
        qemu = self.dir / f"qemu-{behaviour}"
        qemu.write_text(f"#!/bin/sh\necho $$ >>{self.dir}/started\n{STAND_INS[behaviour]}\n")
        qemu.chmod(0o755)
        return str(qemu)

    def test_choice(self):
        missing = str(self.dir / "no-kvm")
        # (ZARN_SYSTEM_ACCEL, qemu, kvm device, chosen, words of the reason, probe booted)
        rows = [
            ("", "silent", self.kvm, "tcg", "console stayed empty for 2 s", True),
            ("", "stops", self.kvm, "tcg", "with status 1: Could not access KVM",
             True),
            ("", "boots", self.kvm, "kvm", "probe boot ran", True),
            ("", "boots", missing, "tcg", f"{missing} cannot be opened: No such file", False),
            ("tcg", "boots", self.kvm, "tcg", "set by ZARN_SYSTEM_ACCEL", False),
            ("kvm", "stops", missing, "kvm", "set by ZARN_SYSTEM_ACCEL", False),
        ]
        for forced, behaviour, kvm, chosen, reason, probed in rows:
            with self.subTest(forced=forced, qemu=behaviour, kvm=kvm):
                (self.dir / "started").unlink(missing_ok=True)
                os.environ["ZARN_SYSTEM_ACCEL"] = forced
                started = time.time()
                accel, why = run.choose_accel("/vmlinuz", self.stand_in(behaviour), str(kvm),
                                              LIMIT)
                took = time.time() - started
                self.assertEqual((accel, reason in why), (chosen, True), why)
                self.assertLess(took, LIMIT + 2 if behaviour == "silent" and probed else 1)
                pids = (self.dir / "started").read_text().split() \
                    if (self.dir / "started").exists() else []
                self.assertEqual(len(pids), 1 if probed else 0)
                for pid in pids:  # the probe ends its qemu, however it behaved
                    self.assertFalse(Path(f"/proc/{pid}").exists(), f"{behaviour} still runs")

    def test_bad_setting(self):
        os.environ["ZARN_SYSTEM_ACCEL"] = "hvf"
        with self.assertRaises(SystemExit) as stop:
            run.choose_accel("/vmlinuz", self.stand_in("boots"), str(self.kvm), LIMIT)
        self.assertIn("not kvm or tcg", str(stop.exception))


if __name__ == "__main__":
    unittest.main()
