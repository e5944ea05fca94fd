"""nimbrel under the real xscreensaver: as the daemon's hack, in its preview
size, and in a window too small for the rain."""
import os
import pwd
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

from harness import BIN, LIBRARY, WRAPPER, Picture, Xvfb, XTestCase, end, make_window

USER = "nimbrel-xss"
# Heavy, unpaced rain so that the heap is there within a second; falling
# drops hidden so that only the heap shows.
HEAVY = "dropRate=200\ndropSpeed=1\nframeRate=0\nshowDrops=0\n"
# The same with the falling drops drawn: the most drawing in every frame, so
# that the screensaver most likely ends in the middle of one.
HEAVY_SHOWN = HEAVY.replace("showDrops=0", "showDrops=1")


def wrapper_env(home):
    """Run the build's wrapper, which finds the build's nimbrel on the PATH."""
    path = os.path.dirname(os.path.abspath(BIN)) + os.pathsep + os.environ["PATH"]
    return {"HOME": home, "PATH": path, "XDG_CONFIG_HOME": ""}


def user_settings(home):
    return os.path.join(home, ".config", "nimbrel", "nimbrel.conf")


def write_settings(home, settings):
    with open(user_settings(home), "w") as f:  # an existing file keeps its owner
        f.write(settings)


def scratch_home(owner=None):
    home = tempfile.mkdtemp(prefix="nimbrel-home-")
    os.makedirs(os.path.join(home, ".config", "nimbrel"))
    write_settings(home, HEAVY)
    if owner is not None:
        for dirpath, _, files in os.walk(home):
            for name in [dirpath] + [os.path.join(dirpath, f) for f in files]:
                os.chown(name, owner.pw_uid, owner.pw_gid)
    return home


class PreviewTest(XTestCase):
    """The wrapper as xscreensaver's settings window runs it, in a small window."""

    def run_wrapper(self, width, height):
        connection, window = make_window(self.xvfb.display, width, height)
        self.addCleanup(connection.close)
        home = scratch_home()
        self.addCleanup(shutil.rmtree, home, True)
        env = wrapper_env(home)
        env["XSCREENSAVER_WINDOW"] = hex(window.id)
        return window, self.start(command=[WRAPPER], env=env)

    def test_heap_rests_on_the_floor_of_the_preview(self):
        window, program = self.run_wrapper(200, 150)
        picture = self.xvfb.wait_for_picture(window.id, lambda p: p.lit(top=143, bottom=144) != [])
        self.assertTrue(program.running(), program.stdout() + program.stderr())
        self.assertEqual((picture.width, picture.height), (200, 150))
        rows = {y for _, y in picture.lit()}
        # A 150-row picture has its floor on row 144: the heap rests on 143.
        self.assertIn(143, rows)
        self.assertEqual(sorted(y for y in rows if y >= 144), [])
        program.proc.terminate()
        self.assertEqual(program.wait(10), 0)

    def test_too_small_a_window_ends_with_one_line_and_status_1(self):
        _, program = self.run_wrapper(8, 5)
        self.assertEqual(program.wait(15), 1)
        lines = program.stdout().splitlines()
        self.assertEqual(len(lines), 1, lines)
        self.assertTrue(lines[0].startswith("The rain cannot run on a 8x5 picture: "), lines)


def daemon_skip_reason():
    for tool in ("xscreensaver", "xscreensaver-command", "runuser"):
        if shutil.which(tool) is None:
            return "%s is not installed" % tool
    if os.geteuid() != 0:
        return "not root: cannot create the user that xscreensaver must run as"
    return None


def ensure_user():
    """The ordinary user the daemon runs as (xscreensaver refuses root)."""
    try:
        return pwd.getpwnam(USER)
    except KeyError:
        subprocess.run(["useradd", "--system", "--no-create-home", "--home-dir", "/nonexistent",
                        "--shell", "/bin/sh", USER], check=True, capture_output=True)
        return pwd.getpwnam(USER)


@unittest.skipIf(daemon_skip_reason(), daemon_skip_reason())
class DaemonTest(unittest.TestCase):
    """xscreensaver's daemon, run as an ordinary user with the wrapper as its
    only hack, on a small screen so that the heap grows fast."""

    WIDTH, HEIGHT = 320, 240

    @classmethod
    def setUpClass(cls):
        cls.user = ensure_user()
        cls.xvfb = Xvfb("%dx%dx24" % (cls.WIDTH, cls.HEIGHT))
        # The checkout may sit where the user cannot read: the user runs
        # copies of the build's binary and wrapper, side by side.
        cls.bindir = tempfile.mkdtemp(prefix="nimbrel-bin-")
        os.chmod(cls.bindir, 0o755)
        cls.binary = os.path.join(cls.bindir, "nimbrel")
        cls.wrapper = os.path.join(cls.bindir, "nimbrel-xscreensaver")
        shutil.copy(BIN, cls.binary)
        shutil.copy(WRAPPER, cls.wrapper)
        for f in (cls.binary, cls.wrapper):
            os.chmod(f, 0o755)
        cls.home = scratch_home(cls.user)
        settings = os.path.join(cls.home, ".xscreensaver")
        with open(settings, "w") as f:
            f.write("mode: one\nselected: 0\nsplash: False\nfade: False\nunfade: False\n"
                    "lock: False\ntimeout: 8:00:00\ncycle: 0\ndpmsEnabled: False\n"
                    "captureStderr: False\n"
                    "programs: \\\n  \"nimbrel\" %s \\n\\\n\n" % cls.wrapper)
        os.chown(settings, cls.user.pw_uid, cls.user.pw_gid)
        cls.daemon = None

    @classmethod
    def tearDownClass(cls):
        cls.stop_daemon()
        cls.xvfb.close()
        shutil.rmtree(cls.home, True)
        shutil.rmtree(cls.bindir, True)

    def as_user(self, *args):
        # The pass on sdl12-compat finds it through LD_LIBRARY_PATH.
        library_path = ["LD_LIBRARY_PATH=" + os.environ["LD_LIBRARY_PATH"]] \
            if "LD_LIBRARY_PATH" in os.environ else []
        return ["runuser", "-u", USER, "--", "env", "HOME=" + self.home,
                "DISPLAY=" + self.xvfb.display, *library_path, *args]

    def command(self, *args):
        return subprocess.run(self.as_user("xscreensaver-command", *args), env=self.xvfb.env(),
                              capture_output=True, text=True, timeout=20)

    def start_daemon(self, **extra_env):
        cls = type(self)
        cls.log = open(os.path.join(cls.home, "daemon.log"), "w+")
        env = self.xvfb.env()
        env.pop("XDG_CONFIG_HOME", None)
        args = self.as_user(*["%s=%s" % kv for kv in extra_env.items()], "xscreensaver", "-no-splash")
        cls.daemon = subprocess.Popen(args, env=env, stdout=cls.log, stderr=subprocess.STDOUT,
                                      stdin=subprocess.DEVNULL)
        # It answers commands once it has set itself up on the screen.
        deadline = time.time() + 15
        while time.time() < deadline:
            self.assertIsNone(cls.daemon.poll(), "xscreensaver ended: " + self.daemon_log())
            if self.command("-time").returncode == 0:
                return
            time.sleep(0.3)
        self.fail("xscreensaver does not answer: " + self.daemon_log())

    @classmethod
    def stop_daemon(cls):
        if cls.daemon is None:
            return
        end(cls.daemon, 10)
        cls.daemon = None
        cls.log.close()

    def daemon_log(self):
        self.log.flush()
        self.log.seek(0)
        return self.log.read()

    def our_nimbrels(self):
        """Processes running this test's copy of the binary."""
        found = []
        for pid in os.listdir("/proc"):
            if pid.isdigit():
                try:
                    if os.readlink("/proc/%s/exe" % pid) == self.binary:
                        found.append(int(pid))
                except OSError:
                    pass
        return found

    def our_wrappers(self):
        """Processes running this test's copy of the wrapper, a shell script."""
        found = []
        for pid in os.listdir("/proc"):
            if pid.isdigit():
                try:
                    with open("/proc/%s/cmdline" % pid, "rb") as f:
                        args = f.read().split(b"\0")
                except OSError:
                    continue
                if os.fsencode(self.wrapper) in args:
                    found.append(int(pid))
        return found

    def kill_leftovers(self):
        """A stuck process would otherwise outlive the test for good."""
        for pid in self.our_nimbrels() + self.our_wrappers():
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass

    def sdl_library_of(self, pid):
        """Which SDL 1.2 the process has loaded, by where its file lies."""
        with open("/proc/%d/maps" % pid) as f:
            paths = {line.split()[-1] for line in f if "libSDL-1.2.so" in line}
        if not paths:
            return None
        return "sdl12-compat" if all("/sdl12-compat/" in p for p in paths) else "sdl1.2"

    def assertDaemonCarriesOn(self):
        self.assertIsNone(self.daemon.poll(), "xscreensaver ended: " + self.daemon_log())
        answer = self.command("-time")
        self.assertEqual(answer.returncode, 0, answer.stdout + answer.stderr)
        self.assertIn("screen", answer.stdout)

    def deactivate_and_expect_no_nimbrel(self):
        self.assertEqual(self.command("-deactivate").returncode, 0)
        deadline = time.time() + 5
        while self.our_nimbrels() and time.time() < deadline:
            time.sleep(0.2)
        self.assertEqual(self.our_nimbrels(), [], "nimbrel outlived the deactivation")

    def test_hack_shows_the_heap_and_ends_with_the_screensaver(self):
        self.start_daemon()
        self.addCleanup(self.stop_daemon)
        self.assertEqual(self.command("-activate").returncode, 0)
        floor = self.HEIGHT - 6
        picture = self.xvfb.wait_for_picture("root", lambda p: p.lit(top=floor - 1, bottom=floor) != [])
        rows = {y for _, y in picture.lit()}
        self.assertTrue(self.our_nimbrels(), "no nimbrel runs: " + self.daemon_log())
        self.assertIn(floor - 1, rows, "no heap on the floor: " + self.daemon_log())
        self.assertEqual(sorted(y for y in rows if y >= floor), [])
        # Drawn in the window xscreensaver gave it, not in one of its own on top.
        for pid in self.our_nimbrels():
            own = self.xvfb.run(["xdotool", "search", "--pid", str(pid)]).stdout.split()
            self.assertEqual(own, [], "nimbrel opened a window of its own")
        # The rain goes on in the screensaver's window: the heap grows.
        before = len(Picture(self.xvfb.screenshot()).lit())
        time.sleep(1.0)
        self.assertGreater(len(Picture(self.xvfb.screenshot()).lit()), before)

        self.deactivate_and_expect_no_nimbrel()
        self.assertDaemonCarriesOn()

    def test_heavy_unpaced_rain_ends_with_the_screensaver_every_time(self):
        # Drawing into the window the screensaver has just taken away could
        # leave the video library stuck inside Xlib, and nimbrel with it.
        write_settings(self.home, HEAVY_SHOWN)
        self.addCleanup(write_settings, self.home, HEAVY)
        self.addCleanup(self.kill_leftovers)  # after the daemon has stopped
        self.start_daemon()
        self.addCleanup(self.stop_daemon)
        for round in range(4):
            with self.subTest(round=round):
                self.assertEqual(self.command("-activate").returncode, 0)
                # Running and drawing (a sanitizer build starts slowly): drops
                # in the upper half, where no heap is yet.
                picture = self.xvfb.wait_for_picture(
                    "root", lambda p: len(p.lit(bottom=self.HEIGHT // 2)) > 50, every=0.5)
                self.assertGreater(len(picture.lit(bottom=self.HEIGHT // 2)), 50,
                                   "no rain: " + self.daemon_log())
                nimbrels = self.our_nimbrels()
                self.assertEqual(len(nimbrels), 1, nimbrels)
                self.assertEqual(self.sdl_library_of(nimbrels[0]), LIBRARY if LIBRARY != "sdl2" else None)
                self.assertTrue(self.our_wrappers(), "no wrapper runs")
                time.sleep(3.0)
                self.assertEqual(self.command("-deactivate").returncode, 0)
                deadline = time.time() + 3.0
                while (self.our_nimbrels() or self.our_wrappers()) and time.time() < deadline:
                    time.sleep(0.1)
                self.assertEqual(self.our_nimbrels(), [], "nimbrel outlived the deactivation")
                self.assertEqual(self.our_wrappers(), [], "the wrapper outlived the deactivation")
                self.assertDaemonCarriesOn()

    def test_daemon_carries_on_after_the_hack_fails(self):
        # A video driver that does not exist makes nimbrel give up at start.
        self.start_daemon(SDL_VIDEODRIVER="no-such-driver")
        self.addCleanup(self.stop_daemon)
        self.assertEqual(self.command("-activate").returncode, 0)
        deadline = time.time() + 10
        while "Can't set video mode: " not in self.daemon_log() and time.time() < deadline:
            time.sleep(0.3)
        self.assertIn("Can't set video mode: ", self.daemon_log())
        time.sleep(1.0)
        self.assertDaemonCarriesOn()
        self.deactivate_and_expect_no_nimbrel()
        self.assertDaemonCarriesOn()


if __name__ == "__main__":
    unittest.main()
