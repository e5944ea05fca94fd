# SPDX-License-Identifier: MIT
"""nimbrel under the real xscreensaver: as the daemon's hack, in its preview
size, and in a window too small for the rain; the wrapper's options and the
description that xscreensaver's settings program reads."""
import os
import pwd
import re
import shlex
import shutil
import subprocess
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree

from harness import (BIN, DEADLINE, LIBRARY, ON_SDL12, ROOT, WRAPPER, Picture, Xvfb, XTestCase, drawn_over, end, end_group,
                     kill_now, hold_system_paths, install_staged, library_name, link_system_path, make_window,
                     processes_of, sdl_version, shareable_libraries, staging_unavailable, wait_for)

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

    def run_wrapper(self, width, height, args=(), settings=None, by_option=False):
        """The wrapper in a window of the test's own, named in
        XSCREENSAVER_WINDOW or, as xscreensaver's settings program runs its
        preview, in --window-id after the hack's own options."""
        connection, window = make_window(self.xvfb.display, width, height)
        self.addCleanup(connection.close)
        home = scratch_home()
        self.addCleanup(shutil.rmtree, home, True)
        if settings is not None:
            write_settings(home, settings)
        env = wrapper_env(home)
        if by_option:
            args = [*args, "--window-id", hex(window.id)]
        else:
            env["XSCREENSAVER_WINDOW"] = hex(window.id)
        return window, self.start(command=[WRAPPER, *args], env=env)

    def assertEndsOnSigterm(self, program):
        self.assertTrue(program.running(), program.stdout() + program.stderr())
        program.proc.terminate()
        self.assertEqual(program.wait(), 0)

    def test_heap_rests_on_the_floor_of_the_preview(self):
        for by_option in (False, True):
            with self.subTest(by_option=by_option):
                window, program = self.run_wrapper(200, 150, ["--root"], by_option=by_option)
                picture = self.xvfb.wait_for_picture(
                    window.id, lambda p: drawn_over(p) and p.lit(top=143, bottom=144) != [])
                self.assertEqual((picture.width, picture.height), (200, 150))
                rows = {y for _, y in picture.lit()}
                # A 150-row picture has its floor on row 144: the heap rests on 143.
                self.assertIn(143, rows)
                self.assertEqual(sorted(y for y in rows if y >= 144), [])
                self.assertEndsOnSigterm(program)

    def test_options_change_the_rain(self):
        # The user's file makes no rain at all, one frame a second; the
        # options make heavy, unpaced rain with the falling drops shown.
        quiet = "dropRate=0\ndropSpeed=100000\nframeRate=1\nshowDrops=0\ntailLength=0\n"
        window, plain = self.run_wrapper(200, 150, ["-root"], quiet)
        plain.wait_frames(3)
        self.assertEqual(Picture(self.xvfb.screenshot(window.id)).lit(), [], "rain without the options")
        self.assertEndsOnSigterm(plain)

        window, program = self.run_wrapper(200, 150, ["-root", "-dropRate", "200", "-dropSpeed", "1",
                                                      "-frameRate", "0", "-showDrops", "-tailLength", "17"],
                                           quiet)
        # Heavy unpaced rain lands within seconds; falling drops show far above the heap.
        picture = self.xvfb.wait_for_picture(
            window.id, lambda p: drawn_over(p) and p.lit(top=143, bottom=144) != [] and p.lit(bottom=40) != [])
        self.assertTrue(drawn_over(picture), "the window still shows its own white")
        self.assertNotEqual(picture.lit(top=143, bottom=144), [], "no heap on the floor")
        self.assertNotEqual(picture.lit(bottom=40), [], "no falling drops in the top rows")
        self.assertEndsOnSigterm(program)

    def test_too_small_a_window_ends_with_one_line_and_status_1(self):
        _, program = self.run_wrapper(8, 5)
        self.assertEqual(program.wait(), 1)
        lines = program.stdout().splitlines()
        self.assertEqual(len(lines), 1, lines)
        self.assertTrue(lines[0].startswith("The rain cannot run on a 8x5 picture: "), lines)


XML = os.path.join(ROOT, "data", "nimbrel.xml")


def read_settings(text):
    """The pairs nimbrel takes from a settings file: the first "=" splits,
    spaces around it go, and the last line of a key wins."""
    pairs = {}
    for line in text.split("\n"):
        if not line or line[0] in "#\r" or "=" not in line:
            continue
        key, value = line.split("=", 1)
        pairs[key.rstrip(" ")] = value.strip(" ")
    return pairs


class DescriptionTest(unittest.TestCase):
    """nimbrel.xml, as xscreensaver's settings program reads it."""

    def setUp(self):
        self.root = ElementTree.parse(XML).getroot()  # well formed, or this raises

    def test_describes_the_hack_and_its_controls(self):
        self.assertEqual((self.root.tag, self.root.get("name")), ("screensaver", "nimbrel"))
        description = self.root.find("_description").text.strip()
        self.assertGreater(len(description), 100)
        self.assertNotIn("\n\n", description, "more than one paragraph")
        numbers = {n.get("id"): n for n in self.root.iter("number")}
        self.assertEqual({k: n.get("arg") for k, n in numbers.items()},
                         {k: "--%s %%" % k for k in ("dropRate", "dropSpeed", "tailLength", "scale", "frameRate")})
        self.assertEqual([b.get("id") for b in self.root.iter("boolean")], ["showDrops"])
        # A slider at its default writes nothing, leaving the setting to the
        # user's file or nimbrel's default: the two defaults must agree.
        defaults = {"dropRate": 10, "dropSpeed": 50, "tailLength": 10, "scale": 0, "frameRate": 60}
        self.assertEqual({k: int(n.get("default")) for k, n in numbers.items()}, defaults)
        for name, number in numbers.items():
            self.assertLessEqual(int(number.get("low")), defaults[name], name)
            self.assertLessEqual(defaults[name], int(number.get("high")), name)


class WrapperOptionsTest(unittest.TestCase):
    """The wrapper's command line, with a stand-in for nimbrel on the PATH that
    keeps the settings file it was started with."""

    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="nimbrel-options-")
        self.addCleanup(shutil.rmtree, self.work, True)
        bindir = os.path.join(self.work, "bin")
        os.mkdir(bindir)
        standin = os.path.join(bindir, "nimbrel")
        with open(standin, "w") as f:
            f.write('#!/bin/sh\ncp nimbrel.conf "$NIMBREL_SEEN"\n')
        os.chmod(standin, 0o755)
        self.seen = os.path.join(self.work, "seen.conf")
        self.home = scratch_home()
        self.addCleanup(shutil.rmtree, self.home, True)
        self.env = {"HOME": self.home, "PATH": bindir + os.pathsep + os.environ["PATH"],
                    "NIMBREL_SEEN": self.seen}
        root = ElementTree.parse(XML).getroot()
        self.command_args = shlex.split(root.find("command").get("arg"))
        self.numbers = list(root.iter("number"))
        self.booleans = list(root.iter("boolean"))

    def user_file(self, text):
        with open(os.path.join(self.home, ".config", "nimbrel", "nimbrel.conf"), "w") as f:
            f.write(text)

    def run_wrapper(self, args, env=None):
        if os.path.exists(self.seen):
            os.remove(self.seen)
        return subprocess.run([WRAPPER, *args], env=env or self.env, capture_output=True,
                              text=True, timeout=DEADLINE)

    def settings_seen(self, result):
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        with open(self.seen) as f:
            return read_settings(f.read())

    def test_every_command_line_of_the_settings_program_reaches_nimbrel(self):
        # The settings program writes the command's arg, then each slider not
        # at its default as arg with % replaced, then an unticked box's
        # arg-unset. Every value of every slider, and the box ticked and not,
        # with the user's file saying otherwise for each slider; every other run in the
        # one-dash form of older command lines.
        self.user_file("".join("%s=%s\n" % (n.get("id"), int(n.get("high")) + 1000)
                               for n in self.numbers))
        ranges = [range(int(n.get("low")), int(n.get("high")) + 1) for n in self.numbers]
        for step in range(max(len(r) for r in ranges)):
            args = list(self.command_args)
            expected = {}
            for number, values in zip(self.numbers, ranges):
                value = values[min(step, len(values) - 1)]
                args += shlex.split(number.get("arg").replace("%", str(value)))
                expected[number.get("id")] = str(value)
            # A box ticked by default writes its arg-unset when not ticked, and
            # nothing when ticked: the default, shown, as the user's file is silent.
            ticked = step % 2 == 0
            for boolean in self.booleans:
                if not ticked:
                    args += shlex.split(boolean.get("arg-unset"))
                expected[boolean.get("id")] = "1" if ticked else "0"
            if step % 4 >= 2:
                args = [a[1:] if a.startswith("--") else a for a in args]
            seen = self.settings_seen(self.run_wrapper(args))
            self.assertEqual({k: seen.get(k) for k in expected}, expected, args)

    def test_options_every_hack_is_given_change_nothing(self):
        # A screensaver shows the falling drops unless the user's file says not.
        for text, shown in (("dropRate=33\n", "1"), ("\ufeffshowDrops=0\n", "0")):
            self.user_file(text)
            self.assertEqual(self.settings_seen(self.run_wrapper(["-root"])).get("showDrops"), shown, text)
        self.user_file("dropRate=33\nshowDrops=1\n")
        for args, changed in ((["-root"], {}), (["--root"], {}), (["-window"], {}), (["-mono"], {}),
                              (["-install"], {}), (["-noinstall"], {}), (["-fps"], {}),
                              (["--no-fps"], {}), (["-visual", "TrueColor"], {}),
                              (["--root", "--fps", "--visual", "0x21", "-install"], {}),
                              (["-no-showDrops"], {"showDrops": "0"})):
            with self.subTest(args=args):
                seen = self.settings_seen(self.run_wrapper(args))
                self.assertEqual(seen, dict({"dropRate": "33", "showDrops": "1"}, **changed))

    def test_unknown_options_and_values_that_are_no_whole_number_end_it(self):
        for args in (["-bogus"], ["--dropRate=30"], ["-showdrops"], ["-dropRate", "x"],
                     ["-dropRate", "1.5"], ["--scale", ""], ["-frameRate", "12abc"],
                     ["-tailLength", "--5"], ["-dropSpeed", "+5"], ["-dropRate", "5\nxRes=9"],
                     ["-dropRate"], ["-visual"], ["-window-id", "nope"], ["stray"], ["-"],
                     ["-root", "-dropRate", "30", "-nope"]):
            with self.subTest(args=args):
                result = self.run_wrapper(args)
                self.assertEqual(result.returncode, 1)
                self.assertEqual(len(result.stdout.splitlines()), 1, result.stdout)
                self.assertTrue(result.stdout.startswith("nimbrel-xscreensaver: "), result.stdout)
                self.assertEqual(result.stderr, "")
                self.assertFalse(os.path.exists(self.seen), "nimbrel was started")

    def test_help_ends_with_status_0_and_starts_nothing(self):
        # Newer MATE screensavers try a hack's saved options with --help first.
        result = self.run_wrapper(["--dropRate", "5", "--help"])
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertIn("-dropRate N", result.stdout)
        self.assertFalse(os.path.exists(self.seen))

    def test_user_file_found_as_nimbrel_finds_it(self):
        places = {"xdg": os.path.join(self.work, "xdg"), "home": os.path.join(self.home, ".config"),
                  "sys1": os.path.join(self.work, "sys1"), "sys2": os.path.join(self.work, "sys2")}
        dirs = places["sys1"] + ":" + places["sys2"]
        cases = [  # (files in, XDG_CONFIG_HOME, XDG_CONFIG_DIRS, expected)
            (["xdg", "home", "sys1"], places["xdg"], dirs, "xdg"),
            (["home", "sys1"], places["xdg"], dirs, "sys1"),
            (["xdg", "home", "sys1"], "", dirs, "home"),
            (["xdg", "home", "sys1"], None, dirs, "home"),
            (["xdg", "home", "sys1"], "relative/xdg", dirs, "home"),
            (["sys2"], None, "::relative:" + places["sys2"], "sys2"),
            ([], None, dirs, None),
        ]
        for files, config_home, config_dirs, expected in cases:
            with self.subTest(files=files, XDG_CONFIG_HOME=config_home, XDG_CONFIG_DIRS=config_dirs):
                for name, place in places.items():
                    shutil.rmtree(os.path.join(place, "nimbrel"), True)
                    if name in files:
                        os.makedirs(os.path.join(place, "nimbrel"))
                        with open(os.path.join(place, "nimbrel", "nimbrel.conf"), "w") as f:
                            f.write("from=%s\n" % name)
                env = dict(self.env, XDG_CONFIG_DIRS=config_dirs)
                if config_home is not None:
                    env["XDG_CONFIG_HOME"] = config_home
                seen = self.settings_seen(self.run_wrapper(["-dropRate", "5"], env))
                self.assertEqual(seen, dict({"dropRate": "5", "showDrops": "1"},
                                           **({"from": expected} if expected else {})))

    def test_a_user_file_that_blocks_or_never_ends_is_read_as_nimbrel_reads_it(self):
        conf = os.path.join(self.home, ".config", "nimbrel", "nimbrel.conf")
        cases = [("FIFO", os.mkfifo, {}), ("/dev/zero", lambda path: os.symlink("/dev/zero", path), {}),
                 ("over a MiB", lambda path: self.user_file("a=1\nb=" + "7" * (1 << 20) + "\nc=3\n"), {"a": "1"})]
        for what, make, expected in cases:
            with self.subTest(what):
                os.remove(conf)
                make(conf)
                seen = self.settings_seen(self.run_wrapper(["-dropRate", "5"]))
                self.assertEqual(seen, dict(expected, dropRate="5", showDrops="1"))


def skip_reason(program, *tools):
    """Why a test that runs program as an ordinary user cannot run here, or None."""
    for tool in (program, *tools, "runuser"):
        if shutil.which(tool) is None:
            return "%s is not installed" % tool
    if os.geteuid() != 0:
        return "not root: cannot create the user that %s must run as" % program
    return None


def daemon_skip_reason():
    return skip_reason("xscreensaver", "xscreensaver-command")


def ensure_user(name=USER):
    """The ordinary user the daemon runs as (xscreensaver refuses root)."""
    try:
        return pwd.getpwnam(name)
    except KeyError:
        pass
    added = subprocess.run(["useradd", "--system", "--no-create-home", "--home-dir", "/nonexistent",
                            "--shell", "/bin/sh", name], capture_output=True)
    # It fails when a test running beside this one has just added the user.
    try:
        return pwd.getpwnam(name)
    except KeyError:
        added.check_returncode()
        raise


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
        cls.library_path = shareable_libraries(os.path.join(cls.bindir, "lib"))
        for f in (cls.binary, cls.wrapper):
            os.chmod(f, 0o755)
        cls.home = scratch_home(cls.user)
        settings = os.path.join(cls.home, ".xscreensaver")
        with open(settings, "w") as f:
            # The hack at the priority of the test's other processes (not
            # 10, xscreensaver's default), so that a busy machine, such as
            # one running other tests beside this one, does not starve it.
            f.write("mode: one\nselected: 0\nsplash: False\nfade: False\nunfade: False\n"
                    "lock: False\ntimeout: 8:00:00\ncycle: 0\ndpmsEnabled: False\n"
                    "captureStderr: False\nnice: 0\n"
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
        return ["runuser", "-u", USER, "--", "env", "HOME=" + self.home, "DISPLAY=" + self.xvfb.display,
                "LD_LIBRARY_PATH=" + self.library_path, *args]

    def command(self, *args):
        return subprocess.run(self.as_user("xscreensaver-command", *args), env=self.xvfb.env(),
                              capture_output=True, text=True, timeout=DEADLINE)

    def start_daemon(self, **extra_env):
        cls = type(self)
        cls.log = open(os.path.join(cls.home, "daemon.log"), "w+")
        env = self.xvfb.env()
        env.pop("XDG_CONFIG_HOME", None)
        args = self.as_user(*["%s=%s" % kv for kv in extra_env.items()], "xscreensaver", "-no-splash")
        cls.daemon = subprocess.Popen(args, env=env, stdout=cls.log, stderr=subprocess.STDOUT,
                                      stdin=subprocess.DEVNULL)
        # It answers commands once it has set itself up on the screen.
        def answers():
            self.assertIsNone(cls.daemon.poll(), "xscreensaver ended: " + self.daemon_log())
            return self.command("-time").returncode == 0
        wait_for(answers, lambda: "xscreensaver does not answer: " + self.daemon_log(), every=0.3)

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
        return processes_of(self.binary)

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
        kill_now(self.our_nimbrels() + self.our_wrappers())

    def sdl_library_of(self, pid):
        """Which SDL 1.2 the process has loaded, by the version of its file."""
        with open("/proc/%d/maps" % pid) as f:
            paths = {line.split()[-1] for line in f if "libSDL-1.2.so" in line}
        names = {library_name(sdl_version(p)) for p in paths}
        return names.pop() if len(names) == 1 else (names or None)

    def assertDaemonCarriesOn(self):
        self.assertIsNone(self.daemon.poll(), "xscreensaver ended: " + self.daemon_log())
        answer = self.command("-time")
        self.assertEqual(answer.returncode, 0, answer.stdout + answer.stderr)
        self.assertIn("screen", answer.stdout)

    def deactivate_and_expect_no_nimbrel(self):
        self.assertEqual(self.command("-deactivate").returncode, 0)
        wait_for(lambda: not self.our_nimbrels(), "nimbrel outlived the deactivation")

    def test_hack_shows_the_heap_and_ends_with_the_screensaver(self):
        self.start_daemon()
        self.addCleanup(self.stop_daemon)
        self.assertEqual(self.command("-activate").returncode, 0)
        floor = self.HEIGHT - 6
        picture = self.xvfb.wait_for_picture("root", lambda p: p.lit(top=floor - 1, bottom=floor) != [],
                                             lambda: "no heap on the floor: " + self.daemon_log())
        rows = {y for _, y in picture.lit()}
        self.assertTrue(self.our_nimbrels(), "no nimbrel runs: " + self.daemon_log())
        self.assertIn(floor - 1, rows, "no heap on the floor: " + self.daemon_log())
        self.assertEqual(sorted(y for y in rows if y >= floor), [])
        # Drawn in the window xscreensaver gave it, not in one of its own on top.
        for pid in self.our_nimbrels():
            own = self.xvfb.run(["xdotool", "search", "--pid", str(pid)]).stdout.split()
            self.assertEqual(own, [], "nimbrel opened a window of its own")
        # The rain goes on in the screensaver's window: the heap grows.
        before = len(picture.lit())
        self.xvfb.wait_for_picture("root", lambda p: len(p.lit()) > before, "the heap stopped growing")

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
                    "root", lambda p: len(p.lit(bottom=self.HEIGHT // 2)) > 50, lambda: "no rain: " + self.daemon_log())
                nimbrels = self.our_nimbrels()
                self.assertEqual(len(nimbrels), 1, nimbrels)
                self.assertEqual(self.sdl_library_of(nimbrels[0]), LIBRARY if ON_SDL12 else None)
                self.assertTrue(self.our_wrappers(), "no wrapper runs")
                self.xvfb.wait_for_picture("root", lambda p: p.rgb != picture.rgb, "the rain stopped")
                self.assertEqual(self.command("-deactivate").returncode, 0)
                wait_for(lambda: not self.our_nimbrels(), "nimbrel outlived the deactivation")
                wait_for(lambda: not self.our_wrappers(), "the wrapper outlived the deactivation")
                self.assertDaemonCarriesOn()

    def test_daemon_carries_on_after_the_hack_fails(self):
        # A video driver that does not exist makes nimbrel give up at start.
        self.start_daemon(SDL_VIDEODRIVER="no-such-driver")
        self.addCleanup(self.stop_daemon)
        self.assertEqual(self.command("-activate").returncode, 0)
        wait_for(lambda: "Can't set video mode: " in self.daemon_log(), lambda: "no refusal: " + self.daemon_log())
        wait_for(lambda: not self.our_nimbrels(), "nimbrel did not end after its refusal")
        self.assertDaemonCarriesOn()
        self.deactivate_and_expect_no_nimbrel()
        self.assertDaemonCarriesOn()


def settings_program_skip_reason():
    return skip_reason("xscreensaver-settings", "dbus-run-session") or staging_unavailable()


@unittest.skipIf(settings_program_skip_reason(), settings_program_skip_reason())
class SettingsProgramTest(unittest.TestCase):
    """xscreensaver's own settings program with the build installed as the
    package would be: the hack and nimbrel.xml are linked where it looks for
    the run, and removed afterwards."""

    HACK = "/usr/libexec/xscreensaver/nimbrel"
    XML = "/usr/share/xscreensaver/config/nimbrel.xml"

    def setUp(self):
        hold_system_paths(self)
        user = ensure_user()
        self.stage = install_staged()
        self.addCleanup(shutil.rmtree, self.stage, True)
        self.binary = os.path.join(self.stage, "usr", "bin", "nimbrel")
        for path, target in ((self.HACK, os.path.join(self.stage, "usr", "bin", "nimbrel-xscreensaver")),
                             (self.XML, os.path.join(self.stage, "usr", "share", "xscreensaver",
                                                     "config", "nimbrel.xml"))):
            if not link_system_path(path, target):
                self.skipTest("%s is there already (an installed nimbrel?), and this test would "
                              "have to replace it" % path)
            self.addCleanup(os.remove, path)
        self.home = scratch_home(user)
        self.addCleanup(shutil.rmtree, self.home, True)
        settings = os.path.join(self.home, ".xscreensaver")
        with open(settings, "w") as f:
            # The preview at the test's priority too, as in DaemonTest.
            f.write("mode: one\nselected: 0\nsplash: False\nnice: 0\n"
                    "programs: \\\n  \"nimbrel\" nimbrel --root -no-showDrops --dropRate 30 \\n\\\n\n")
        os.chown(settings, user.pw_uid, user.pw_gid)
        self.xvfb = Xvfb("1024x768x24")
        self.addCleanup(self.xvfb.close)

    def nimbrels(self):
        return processes_of(self.binary)

    def stop(self, program):
        end_group(program, 10)
        kill_now(self.nimbrels())  # only if a failure left one

    def test_reads_nimbrel_xml_and_previews_the_rain(self):
        log = open(os.path.join(self.home, "settings.log"), "w+")
        self.addCleanup(log.close)
        program = subprocess.Popen(
            ["runuser", "-u", USER, "--", "env", "-i", "HOME=" + self.home,
             "LD_LIBRARY_PATH=" + shareable_libraries(os.path.join(self.stage, "lib")),
             "DISPLAY=" + self.xvfb.display, "PATH=/usr/bin:/bin", "LANG=C.UTF-8",
             "dbus-run-session", "--", "xscreensaver-settings", "--debug"],
            stdout=log, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL, start_new_session=True)
        self.addCleanup(self.stop, program)

        def text():
            log.flush()
            log.seek(0)
            return log.read()
        def previewing():
            self.assertIsNone(program.poll(), "xscreensaver-settings ended: " + text())
            return self.nimbrels() and re.search(r"XSCREENSAVER_WINDOW=(0x[0-9a-fA-F]+)", text())
        preview = wait_for(previewing, lambda: "no preview of nimbrel: " + text(), every=0.3).group(1)
        picture = self.xvfb.wait_for_picture(
            preview, lambda p: p.lit(top=p.height - 7, bottom=p.height - 6) != [], "no heap in the preview")
        self.assertEqual(picture.lit(top=picture.height - 6), [])

        said = text()
        self.assertIn("reading %s..." % self.XML, said)
        # It warns of anything in the file it does not take, naming the file.
        self.assertEqual([line for line in said.splitlines() if "nimbrel.xml:" in line or "WARNING" in line], [])
        # The command line became the page's controls, and they wrote it anew.
        self.assertIn('scheduling preview "nimbrel --root --dropRate 30 --no-showDrops"', said)


if __name__ == "__main__":
    unittest.main()
