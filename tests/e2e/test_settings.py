# SPDX-License-Identifier: MIT
"""What the settings file in the working directory changes in the program."""
import os
import re
import shutil
import tempfile
import unittest

from harness import LIBRARY, ROOT, FullScreenGranter, Picture, XTestCase, Xvfb


def viewable_size_windows(xvfb, width, height):
    """Top-level windows of the given size that are on screen."""
    tree = xvfb.run(["xwininfo", "-root", "-children"]).stdout
    found = []
    for wid in re.findall(r"^\s+(0x[0-9a-f]+) ", tree, re.M):
        info = xvfb.run(["xwininfo", "-id", wid]).stdout
        if ("Width: %d\n" % width) in info and ("Height: %d\n" % height) in info \
                and "IsViewable" in info:
            found.append(wid)
    return found


def lit_after(xvfb, program, frames):
    """What is lit once the program has shown that many more frames."""
    program.wait_frames(frames)
    return Picture(xvfb.screenshot(program.window)).lit()


def wait_lit(xvfb, program):
    return xvfb.wait_for_picture(program.window, lambda p: p.lit() != [], "nothing is drawn").lit()


class GrantingXTestCase(XTestCase):
    """An X server that grants full screen to windows that ask for it."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.granter = FullScreenGranter(cls.xvfb.display)

    @classmethod
    def tearDownClass(cls):
        cls.granter.close()
        super().tearDownClass()

    def assertFullScreenIsLibrarys(self, program, full):
        """Classic SDL 1.2 covers the screen with an override-redirect window
        of its own; SDL 2, under sdl12-compat, asks the window manager to make
        its window full screen."""
        overriding = [wid for wid in viewable_size_windows(self.xvfb, *self.screen_size)
                      if "Override Redirect State: yes" in self.xvfb.run(["xwininfo", "-id", wid]).stdout]
        if LIBRARY == "sdl1.2":
            self.assertEqual(bool(overriding), full)
        else:
            self.assertEqual(overriding, [])
            self.assertEqual(program.window in self.granter.granted(), full)


class SettingsTest(GrantingXTestCase):

    screen_size = (1024, 768)

    def test_size_from_the_settings_file(self):
        program = self.start(settings="xRes=320\nyRes=200\n")
        program.find_window()
        self.assertEqual(program.geometry(), (320, 200))

    def test_fullscreen_takes_any_number_but_0(self):
        cases = [("fullscreen=2\n", True), ("fullscreen=-1\n", True), ("fullscreen=0\n", False),
                 ("fullscreen=yes\n", False), ("", False)]
        for settings, full in cases:
            with self.subTest(settings=settings):
                program = self.start(settings=settings)
                program.find_window()
                program.wait_frames(10)
                self.assertEqual(bool(viewable_size_windows(self.xvfb, 1024, 768)), full)
                self.assertFullScreenIsLibrarys(program, full)
                self.assertClickEnds(program)

    def test_show_drops_only_with_a_number(self):
        # Within 150 frames no drop can have landed yet (the floor is more
        # than 400 rows down), so anything lit is a falling drop.
        for settings, shown in (("showDrops=1\n", True), ("showDrops=true\n", False),
                                ("showDrops=0\n", False)):
            with self.subTest(settings=settings):
                program = self.start(settings=settings)
                program.find_window()
                for drawn in (shown, not shown):  # then D switches
                    if drawn:
                        wait_lit(self.xvfb, program)
                    else:
                        self.assertEqual(lit_after(self.xvfb, program, 60)[:5], [])
                    program.key("d")

    def test_drop_speed_zero_runs_with_the_default(self):
        program = self.start(settings="dropSpeed=0\nshowDrops=1\n")
        program.find_window()
        wait_lit(self.xvfb, program)
        self.assertTrue(program.running())

    def test_a_settings_file_that_blocks_or_never_ends_gives_the_defaults(self):
        cases = [("no file", lambda path: None),
                 ("a FIFO nobody writes to", os.mkfifo),
                 ("a link to /dev/zero", lambda path: os.symlink("/dev/zero", path))]
        resident = {}
        for what, make in cases:
            with self.subTest(what):
                program = self.start(settings=make)
                program.find_window()
                self.assertEqual(program.geometry(), (640, 480))
                resident[what] = program.resident_mib()
        # Nothing of an endless file kept: it grew by hundreds of MiB a second.
        # (sdl12-compat's own use varies by about 10 MiB from run to run.)
        for what, mib in resident.items():
            self.assertLess(mib, resident["no file"] + 48, what)

    def test_too_small_a_picture_is_refused(self):
        for settings in ("xRes=8\n", "yRes=5\n", "xRes=10\nyRes=3\n"):
            with self.subTest(settings=settings):
                program = self.start(settings=settings)
                self.assertEqual(program.wait(), 1)
                lines = program.stdout().splitlines()
                self.assertEqual(len(lines), 1, lines)
                self.assertIn("at least 11 pixels wide and 6 high", lines[0])

    def test_one_settings_file_from_the_working_directory_or_the_xdg_folders(self):
        # Each place holds a file of its own size; the window shows which was read.
        top = tempfile.mkdtemp(prefix="nimbrel-xdg-")
        self.addCleanup(shutil.rmtree, top, True)
        sizes = {"work": (320, 200), "xdg": (300, 210), "home": (310, 220), "sys": (330, 190)}
        folders = {"xdg": os.path.join(top, "xdg"), "home": os.path.join(top, "home", ".config"),
                   "sys": os.path.join(top, "sys")}
        env = {"HOME": os.path.join(top, "home"), "XDG_CONFIG_HOME": folders["xdg"],
               "XDG_CONFIG_DIRS": os.path.join(top, "none") + ":" + folders["sys"]}
        cases = [  # (places with a file, XDG_CONFIG_HOME, the place read)
            (["work", "xdg", "home", "sys"], folders["xdg"], "work"),
            (["xdg", "home", "sys"], folders["xdg"], "xdg"),
            (["xdg", "home", "sys"], "", "home"),
            (["home", "sys"], folders["xdg"], "sys"),
            ([], folders["xdg"], None),
        ]
        for places, config_home, read in cases:
            with self.subTest(places=places, XDG_CONFIG_HOME=config_home):
                for name, folder in folders.items():
                    shutil.rmtree(os.path.join(folder, "nimbrel"), True)
                    if name in places:
                        os.makedirs(os.path.join(folder, "nimbrel"))
                        with open(os.path.join(folder, "nimbrel", "nimbrel.conf"), "w") as f:
                            f.write("xRes=%d\nyRes=%d\n" % sizes[name])
                settings = "xRes=%d\nyRes=%d\n" % sizes["work"] if "work" in places else None
                program = self.start(settings=settings, env=dict(env, XDG_CONFIG_HOME=config_home))
                program.find_window()
                self.assertEqual(program.geometry(), sizes[read] if read else (640, 480))
                self.assertClickEnds(program)


class ReadmeExampleTest(XTestCase):
    """The README's example settings; it times the frames."""

    def test_the_readme_example_gives_the_defaults(self):
        with open(os.path.join(ROOT, "README.md")) as f:
            readme = f.read()
        example = re.search(r"```\n(# nimbrel.conf.*?)```", readme, re.S).group(1)
        with open(os.path.join(ROOT, "data", "nimbrel.conf.example")) as f:
            self.assertEqual(f.read(), example)  # the installed example says the same
        self.assertEqual(sorted(re.findall(r"^(\w+)=", example, re.M)),
                         sorted(["xRes", "yRes", "fullscreen", "dropRate", "dropSpeed",
                                 "tailLength", "showDrops", "frameRate", "scale"]))
        program = self.start(settings=example)
        program.find_window()
        self.assertEqual(program.geometry(), (640, 480))
        self.assertEqual(lit_after(self.xvfb, program, 120), [])  # falling drops hidden
        program.wait_frames(60)
        self.assertClickEnds(program)
        frames, seconds = program.frames()
        self.assertLessEqual(frames - 1, 60 * seconds + 5)  # paced at the default rate


class ScreenSizeTest(GrantingXTestCase):
    """A side of 0 is the screen's, on a screen of a size no default matches."""

    screen_size = (1280, 800)

    @classmethod
    def setUpClass(cls):
        cls.xvfb = Xvfb("1280x800x24")
        cls.granter = FullScreenGranter(cls.xvfb.display)

    def test_a_side_of_0_takes_the_screens(self):
        # Unpaced rain, light enough that the heap forms in a few seconds
        # even at 800 rows.
        rain = "dropRate=20\ndropSpeed=1\nframeRate=0\n"
        cases = [("xRes=0\nyRes=0\n", (1280, 800), False),
                 ("xRes=0\nyRes=300\n", (1280, 300), False),
                 ("fullscreen=1\nxRes=0\nyRes=0\n", (1280, 800), True)]
        for settings, size, full in cases:
            with self.subTest(settings=settings):
                program = self.start(settings=settings + rain)
                program.find_window()
                self.assertEqual(program.geometry(), size)
                self.assertFullScreenIsLibrarys(program, full)
                picture = self.xvfb.wait_for_picture("root" if full else program.window,
                                                     lambda p: len(p.lit()) >= 200, "no heap formed")
                lit = picture.lit()
                self.assertEqual((picture.width, picture.height), size)
                self.assertGreaterEqual(len(lit), 200, "no heap formed")
                # The heap rests on the floor of this picture, row height - 7,
                # and the rain spans its width.
                self.assertEqual(max(y for _, y in lit), size[1] - 7)
                self.assertGreater(max(x for x, _ in lit), size[0] * 3 // 4)
                self.assertClickEnds(program)


if __name__ == "__main__":
    unittest.main()
