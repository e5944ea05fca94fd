"""nimbrel as the theme of the real MATE screensaver.

The build is installed as the package would be, under a scratch folder
(DESTDIR, prefix /usr). MATE reads theme entries through XDG_DATA_DIRS, so
the scratch folder's share/ comes first there; but it runs a theme's Exec
only from its own hack folders, so for the run the hack is linked at its
installed path, /usr/libexec/xscreensaver/nimbrel, and removed afterwards.
mate-screensaver runs as an ordinary user with a scratch HOME, in a D-Bus
session of its own, with its settings in a key file."""
import os
import pwd
import shutil
import signal
import subprocess
import time
import unittest

from harness import Picture, Xvfb, install_staged, link_system_path, staging_unavailable
from test_xscreensaver import scratch_home

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


def ensure_user():
    try:
        return pwd.getpwnam(USER)
    except KeyError:
        subprocess.run(["useradd", "--system", "--no-create-home", "--home-dir", "/nonexistent",
                        "--shell", "/bin/sh", USER], check=True, capture_output=True)
        return pwd.getpwnam(USER)


@unittest.skipIf(skip_reason(), skip_reason())
class MateTest(unittest.TestCase):

    WIDTH, HEIGHT = 320, 240

    @classmethod
    def setUpClass(cls):
        cls.cleanups = []
        try:
            cls.set_up()
        except BaseException:
            cls.tear_down()
            raise

    @classmethod
    def set_up(cls):
        cls.user = ensure_user()
        cls.stage = install_staged()
        cls.cleanups.append(lambda: shutil.rmtree(cls.stage, True))
        cls.binary = os.path.join(cls.stage, "usr", "bin", "nimbrel")
        if not os.path.isdir(HACK_DIR):
            os.makedirs(HACK_DIR)
            cls.cleanups.append(lambda: os.rmdir(HACK_DIR))
        wrapper = os.path.join(cls.stage, "usr", "bin", "nimbrel-xscreensaver")
        if not link_system_path(HACK, wrapper):
            raise unittest.SkipTest("%s is there already (an installed nimbrel?), and this test "
                                    "would have to replace it" % HACK)
        cls.cleanups.append(lambda: os.remove(HACK))

        cls.home = scratch_home(cls.user)
        cls.cleanups.append(lambda: shutil.rmtree(cls.home, True))
        cls.xvfb = Xvfb("%dx%dx24" % (cls.WIDTH, cls.HEIGHT))
        cls.cleanups.append(cls.xvfb.close)
        cls.env = {"HOME": cls.home, "DISPLAY": cls.xvfb.display, "GSETTINGS_BACKEND": "keyfile",
                   "XDG_DATA_DIRS": os.path.join(cls.stage, "usr", "share") + ":/usr/local/share:/usr/share",
                   "XDG_CURRENT_DESKTOP": "MATE", "PATH": "/usr/local/bin:/usr/bin:/bin",
                   "LANG": "C.UTF-8"}
        for key, value in (("mode", "single"), ("themes", "['screensavers-nimbrel']"),
                           ("lock-enabled", "false")):
            cls.as_user("gsettings", "set", "org.mate.screensaver", key, value)

        # The daemon in a session bus of its own, whose address it leaves for
        # the commands; its own process group, so that it ends with everything
        # it started.
        bus_file = os.path.join(cls.home, "bus")
        cls.log = open(os.path.join(cls.home, "mate.log"), "w+")
        cls.cleanups.append(cls.log.close)
        cls.daemon = subprocess.Popen(
            cls.user_command("dbus-run-session", "--", "sh", "-c",
                             'echo "$DBUS_SESSION_BUS_ADDRESS" > "$HOME/bus.new" && '
                             'mv "$HOME/bus.new" "$HOME/bus" && exec mate-screensaver --no-daemon --debug'),
            stdout=cls.log, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL, start_new_session=True)
        cls.cleanups.append(cls.stop_daemon)
        deadline = time.time() + 20
        while time.time() < deadline:
            if cls.daemon.poll() is not None:
                raise AssertionError("mate-screensaver ended: " + cls.daemon_log())
            if os.path.exists(bus_file):
                with open(bus_file) as f:
                    cls.env["DBUS_SESSION_BUS_ADDRESS"] = f.read().strip()
                if cls.command("--query").returncode == 0:
                    return
            time.sleep(0.3)
        raise AssertionError("mate-screensaver does not answer: " + cls.daemon_log())

    @classmethod
    def tearDownClass(cls):
        cls.tear_down()

    @classmethod
    def tear_down(cls):
        while cls.cleanups:
            try:
                cls.cleanups.pop()()
            except Exception:  # the other clean-ups must run all the same
                pass

    @classmethod
    def user_command(cls, *args):
        return ["runuser", "-u", USER, "--", "env", "-i",
                *("%s=%s" % kv for kv in cls.env.items()), *args]

    @classmethod
    def as_user(cls, *args):
        subprocess.run(cls.user_command(*args), check=True, capture_output=True, timeout=20)

    @classmethod
    def command(cls, *args):
        return subprocess.run(cls.user_command("mate-screensaver-command", *args),
                              capture_output=True, text=True, timeout=20)

    @classmethod
    def stop_daemon(cls):
        if cls.daemon.poll() is None:
            os.killpg(cls.daemon.pid, signal.SIGTERM)
            try:
                cls.daemon.wait(10)
            except subprocess.TimeoutExpired:
                os.killpg(cls.daemon.pid, signal.SIGKILL)
                cls.daemon.wait()
        for pid in cls.hack_processes():  # only if a failure left any
            os.kill(pid, signal.SIGKILL)

    @classmethod
    def daemon_log(cls):
        cls.log.flush()
        cls.log.seek(0)
        return cls.log.read()[-3000:]

    @classmethod
    def hack_processes(cls):
        """The installed nimbrel, and the wrapper that MATE started as HACK."""
        found = []
        for pid in os.listdir("/proc"):
            if not pid.isdigit():
                continue
            try:
                exe = os.readlink("/proc/%s/exe" % pid)
                with open("/proc/%s/cmdline" % pid, "rb") as f:
                    args = f.read().split(b"\0")
            except OSError:
                continue
            if exe == cls.binary or HACK.encode() in args:
                found.append(int(pid))
        return found

    def nimbrels(self):
        found = []
        for pid in self.hack_processes():
            try:
                if os.readlink("/proc/%d/exe" % pid) == self.binary:
                    found.append(pid)
            except OSError:
                pass
        return found

    def test_shows_the_rain_when_activated_and_leaves_no_nimbrel(self):
        answer = self.command("--activate")
        self.assertEqual(answer.returncode, 0, answer.stdout + answer.stderr)
        floor = self.HEIGHT - 6
        picture = self.xvfb.wait_for_picture("root", lambda p: p.lit(top=floor - 1, bottom=floor) != [])
        shots = os.environ.get("NIMBREL_SCREENSHOTS")
        if shots:
            self.xvfb.save_png(os.path.join(shots, "mate.png"))
        self.assertTrue(self.nimbrels(), "no nimbrel runs: " + self.daemon_log())
        rows = {y for _, y in picture.lit()}
        self.assertIn(floor - 1, rows, "no heap on the floor: " + self.daemon_log())
        self.assertEqual(sorted(y for y in rows if y >= floor), [])
        # In MATE's window, not in one of nimbrel's own over it.
        for pid in self.nimbrels():
            own = self.xvfb.run(["xdotool", "search", "--pid", str(pid)]).stdout.split()
            self.assertEqual(own, [], "nimbrel opened a window of its own")
        before = len(Picture(self.xvfb.screenshot()).lit())
        time.sleep(1.0)
        self.assertGreater(len(Picture(self.xvfb.screenshot()).lit()), before, "the rain stopped")

        answer = self.command("--deactivate")
        self.assertEqual(answer.returncode, 0, answer.stdout + answer.stderr)
        deadline = time.time() + 5
        while self.hack_processes() and time.time() < deadline:
            time.sleep(0.2)
        self.assertEqual(self.hack_processes(), [], "nimbrel outlived the deactivation")
        self.assertIsNone(self.daemon.poll(), "mate-screensaver ended: " + self.daemon_log())
        self.assertIn("inactive", self.command("--query").stdout)


if __name__ == "__main__":
    unittest.main()
