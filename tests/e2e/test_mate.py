# SPDX-License-Identifier: MIT
"""nimbrel as the theme of the real MATE screensaver.

The build is installed as the package would be, under a scratch folder
(DESTDIR, prefix /usr). MATE reads theme entries through XDG_DATA_DIRS, so
the scratch folder's share/ comes first there; but it runs a theme's Exec
only from its own hack folders, so for the run the hack is linked at its
installed path, /usr/libexec/xscreensaver/nimbrel, and removed afterwards.
mate-screensaver runs as an ordinary user with a scratch HOME, in a D-Bus
session of its own, with its settings in a key file."""
import os
import shutil
import subprocess
import unittest

from harness import (DEADLINE, Xvfb, end_group, hold_system_paths, kill_now, install_staged, link_system_path, processes_of,
                     shareable_libraries, staging_unavailable, wait_for)
from test_xscreensaver import ensure_user, scratch_home

USER = "nimbrel-mate"
HACK_DIR = "/usr/libexec/xscreensaver"
HACK = HACK_DIR + "/nimbrel"


def skip_reason():
    for tool in ("mate-screensaver", "mate-screensaver-command", "dbus-run-session", "gsettings",
                 "runuser"):
        if shutil.which(tool) is None:
            return "%s is not installed" % tool
    if os.geteuid() != 0:
        return "not root: cannot create the user that mate-screensaver runs as, nor link " + HACK
    return staging_unavailable()


@unittest.skipIf(skip_reason(), skip_reason())
class MateTest(unittest.TestCase):

    WIDTH, HEIGHT = 320, 240

    def setUp(self):
        hold_system_paths(self)
        user = ensure_user(USER)
        self.stage = install_staged()
        self.addCleanup(shutil.rmtree, self.stage, True)
        self.binary = os.path.join(self.stage, "usr", "bin", "nimbrel")
        if not os.path.isdir(HACK_DIR):
            os.makedirs(HACK_DIR)
            self.addCleanup(os.rmdir, HACK_DIR)
        # MATE hands its themes a few variables of its own choosing, never
        # LD_LIBRARY_PATH: the hack it runs sets that, then runs the wrapper.
        self.wrapper = os.path.join(self.stage, "usr", "bin", "nimbrel-xscreensaver")
        hack = os.path.join(self.stage, "hack")
        with open(hack, "w") as f:
            f.write('#!/bin/sh\nLD_LIBRARY_PATH=%s exec %s "$@"\n'
                    % (shareable_libraries(os.path.join(self.stage, "lib")), self.wrapper))
        os.chmod(hack, 0o755)
        if not link_system_path(HACK, hack):
            self.skipTest("%s is there already (an installed nimbrel?), and this test would have "
                          "to replace it" % HACK)
        self.addCleanup(os.remove, HACK)
        self.home = scratch_home(user)
        self.addCleanup(shutil.rmtree, self.home, True)
        self.xvfb = Xvfb("%dx%dx24" % (self.WIDTH, self.HEIGHT))
        self.addCleanup(self.xvfb.close)
        self.env = {"HOME": self.home, "DISPLAY": self.xvfb.display, "GSETTINGS_BACKEND": "keyfile",
                    "XDG_DATA_DIRS": os.path.join(self.stage, "usr", "share") + ":/usr/local/share:/usr/share",
                    "XDG_CURRENT_DESKTOP": "MATE", "PATH": "/usr/local/bin:/usr/bin:/bin",
                    "LANG": "C.UTF-8"}
        for key, value in (("mode", "single"), ("themes", "['screensavers-nimbrel']"),
                           ("lock-enabled", "false")):
            subprocess.run(self.as_user("gsettings", "set", "org.mate.screensaver", key, value),
                           check=True, capture_output=True, timeout=DEADLINE)

        # The daemon in a session bus of its own, whose address it leaves for
        # the commands, and in a process group that ends with it.
        self.log = open(os.path.join(self.home, "mate.log"), "w+")
        self.addCleanup(self.log.close)
        self.daemon = subprocess.Popen(
            self.as_user("dbus-run-session", "--", "sh", "-c",
                         'echo "$DBUS_SESSION_BUS_ADDRESS" > "$HOME/bus.new" && mv "$HOME/bus.new" '
                         '"$HOME/bus" && exec mate-screensaver --no-daemon --debug'),
            stdout=self.log, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL, start_new_session=True)
        self.addCleanup(self.stop_daemon)
        bus = os.path.join(self.home, "bus")

        def answers():
            self.assertIsNone(self.daemon.poll(), "mate-screensaver ended: " + self.daemon_log())
            # Never a command without the address: it would start a bus of its own.
            if os.path.exists(bus):
                with open(bus) as f:
                    self.env["DBUS_SESSION_BUS_ADDRESS"] = f.read().strip()
                return self.command("--query").returncode == 0
        wait_for(answers, lambda: "mate-screensaver does not answer: " + self.daemon_log(), every=0.3)

    def as_user(self, *args):
        return ["runuser", "-u", USER, "--", "env", "-i", *("%s=%s" % kv for kv in self.env.items()), *args]

    def command(self, *args):
        return subprocess.run(self.as_user("mate-screensaver-command", *args),
                              capture_output=True, text=True, timeout=DEADLINE)

    def stop_daemon(self):
        end_group(self.daemon, 10)
        kill_now(self.hack_processes())  # only if a failure left one

    def daemon_log(self):
        self.log.flush()
        self.log.seek(0)
        return self.log.read()[-3000:]

    def hack_processes(self):
        """The installed nimbrel, and the wrapper that MATE started as HACK."""
        wrappers = []
        for pid in os.listdir("/proc"):
            try:
                with open("/proc/%s/cmdline" % pid, "rb") as f:
                    if {HACK.encode(), self.wrapper.encode()} & set(f.read().split(b"\0")):
                        wrappers.append(int(pid))
            except (OSError, ValueError):
                pass
        return processes_of(self.binary) + wrappers

    def test_shows_the_rain_when_activated_and_leaves_no_nimbrel(self):
        answer = self.command("--activate")
        self.assertEqual(answer.returncode, 0, answer.stdout + answer.stderr)
        floor = self.HEIGHT - 6
        picture = self.xvfb.wait_for_picture("root", lambda p: p.lit(top=floor - 1, bottom=floor) != [],
                                             lambda: "no heap on the floor: " + self.daemon_log())
        if os.environ.get("NIMBREL_SCREENSHOTS"):
            self.xvfb.save_png(os.path.join(os.environ["NIMBREL_SCREENSHOTS"], "mate.png"))
        nimbrels = processes_of(self.binary)
        self.assertTrue(nimbrels, "no nimbrel runs: " + self.daemon_log())
        rows = {y for _, y in picture.lit()}
        self.assertIn(floor - 1, rows, "no heap on the floor: " + self.daemon_log())
        self.assertEqual(sorted(y for y in rows if y >= floor), [])
        # In MATE's window, not in one of nimbrel's own over it.
        for pid in nimbrels:
            own = self.xvfb.run(["xdotool", "search", "--pid", str(pid)]).stdout.split()
            self.assertEqual(own, [], "nimbrel opened a window of its own")
        before = len(picture.lit())
        self.xvfb.wait_for_picture("root", lambda p: len(p.lit()) > before, "the heap stopped growing")

        answer = self.command("--deactivate")
        self.assertEqual(answer.returncode, 0, answer.stdout + answer.stderr)
        wait_for(lambda: not self.hack_processes(), "nimbrel outlived the deactivation")
        self.assertIsNone(self.daemon.poll(), "mate-screensaver ended: " + self.daemon_log())
        self.assertIn("inactive", self.command("--query").stdout)


if __name__ == "__main__":
    unittest.main()
