# SPDX-License-Identifier: MIT
"""The Windows programs under Wine in Xvfb, run by scripts/test-windows.sh
(not by CTest): nimbrel.exe, the screensaver nimbrel.scr and the installer."""
import getpass
import os
import shutil
import subprocess
import tempfile
import unittest

from harness import DEADLINE, XTestCase, end, wait_for

BUILD = os.environ.get("NIMBREL_WINDOWS_BUILD") or os.path.join(os.path.dirname(__file__), "..", "..", "build-windows")
WINE = "/usr/lib/wine/wine64"
PREFIX = os.environ["WINEPREFIX"]
DRIVE_C = os.path.join(PREFIX, "drive_c")
APPDATA = os.path.join(DRIVE_C, "users", getpass.getuser(), "AppData", "Roaming", "nimbrel")
LOCALAPPDATA = os.path.join(DRIVE_C, "users", getpass.getuser(), "AppData", "Local", "nimbrel")
REFUSAL = "The rain cannot run on a 5x480 picture"
# Users whose names code page 1252 cannot hold, as tests/os/windows/as_user.cpp names them.
USERS = {"cyrillic": "\u0414\u043c\u0438\u0442\u0440\u0438\u0439", "cjk": "\u5f20\u4f1f"}


def wine_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def colours(picture, bottom=None):
    """Pixels neither black nor grey: rain; above row bottom: falling rain."""
    return [p for p in picture.lit(bottom=bottom) if len(set(picture.pixel(*p))) > 1]


def immutable_folder(test):
    """A working directory that cannot be written, not even by root."""
    folder = tempfile.mkdtemp(prefix="nimbrel-")
    if subprocess.run(["chattr", "+i", folder], capture_output=True).returncode != 0:
        test.skipTest("chattr +i is not allowed here")
    test.addCleanup(subprocess.run, ["chattr", "-i", folder])
    return folder


class WineTestCase(XTestCase):

    def start(self, program, *args, settings=None, appdata=None):
        """Starts a program of the build, its messages' files in a folder of its
        own; appdata: the text (or bytes) of %APPDATA%\\nimbrel\\nimbrel.conf, or none."""
        shutil.rmtree(APPDATA, ignore_errors=True)
        if appdata is not None:
            os.makedirs(APPDATA)
            with open(os.path.join(APPDATA, "nimbrel.conf"), "wb" if isinstance(appdata, bytes) else "w") as f:
                f.write(appdata)
        self.addCleanup(shutil.rmtree, APPDATA, True)
        return super().start(settings=settings, env={"LD_PRELOAD": ""},
                             command=[WINE, os.path.join(BUILD, program), *args])

    def rain_goes_on(self, program, window, picture):
        """The picture changes after the one given, and the program still runs."""
        self.xvfb.wait_for_picture(window, lambda p: p.rgb != picture.rgb, "the rain stopped")
        program.assertRunning()

    def assertEndsCleanly(self, program):
        self.assertEqual(program.wait(), 0)
        self.assertEqual(sorted(f for f in os.listdir(program.dir) if f.endswith(".txt")), [])


class ProgramTest(WineTestCase):

    def test_rain_shows_escape_leaves_it_running_a_click_ends_it(self):
        program = self.start("nimbrel.exe", settings="showDrops=1\n")
        window = program.find_window()
        picture = self.xvfb.wait_for_picture(window, lambda p: len(colours(p)) > 20)
        program.key("Escape")
        self.rain_goes_on(program, window, picture)
        program.click(1, 100, 100)
        self.assertEndsCleanly(program)

    def test_a_refused_picture_leaves_its_line_in_stdout_txt(self):
        program = self.start("nimbrel.exe", settings="xRes=5\n")
        self.assertEqual(program.wait(), 1)
        with open(os.path.join(program.dir, "stdout.txt")) as f:
            self.assertIn(REFUSAL, f.read())
        self.assertFalse(os.path.exists(os.path.join(program.dir, "stderr.txt")))

    def test_where_the_working_directory_cannot_be_written_messages_go_to_localappdata(self):
        folder = immutable_folder(self)
        subprocess.run(["chattr", "-i", folder])
        with open(os.path.join(folder, "nimbrel.conf"), "w") as f:
            f.write("xRes=5\n")
        subprocess.run(["chattr", "+i", folder])
        shutil.rmtree(LOCALAPPDATA, ignore_errors=True)
        self.addCleanup(shutil.rmtree, LOCALAPPDATA, True)
        run = self.xvfb.run([WINE, os.path.join(BUILD, "nimbrel.exe")], cwd=folder, timeout=DEADLINE)
        self.assertEqual(run.returncode, 1)
        with open(os.path.join(LOCALAPPDATA, "stdout.txt")) as f:
            self.assertIn(REFUSAL, f.read())
        self.assertFalse(os.path.exists(os.path.join(LOCALAPPDATA, "stderr.txt")))

    def test_started_as_explorer_and_shortcuts_start_it_messages_are_kept_only_when_there_are_some(self):
        # Without standard handles, as Explorer, a shortcut and "start" run it.
        for settings in (None, "xRes=5\n"):
            with self.subTest(settings):
                folder = tempfile.mkdtemp(prefix="nimbrel-")
                self.addCleanup(shutil.rmtree, folder, True)
                if settings:
                    with open(os.path.join(folder, "nimbrel.conf"), "w") as f:
                        f.write(settings)
                run = subprocess.Popen([WINE, "cmd", "/c", "start", "/wait",
                                        wine_path(os.path.join(BUILD, "nimbrel.exe"))], cwd=folder,
                                       env=self.xvfb.env(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                self.addCleanup(end, run, 1)
                if settings:
                    self.assertEqual(run.wait(DEADLINE), 1)
                    with open(os.path.join(folder, "stdout.txt")) as f:
                        self.assertIn(REFUSAL, f.read())
                    continue
                self.xvfb.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "^nimbrel$",
                               "mousemove", "--window", "%1", "100", "100", "click", "1"], timeout=DEADLINE)
                self.assertEqual(run.wait(DEADLINE), 0)
                self.assertEqual(os.listdir(folder), [])

    def test_a_user_name_outside_the_ansi_code_page(self):
        folder = immutable_folder(self)
        for kind, name in USERS.items():
            with self.subTest(name):
                home = os.path.join(DRIVE_C, "users", name, "AppData")
                self.addCleanup(shutil.rmtree, os.path.dirname(home), True)
                for made in ("Roaming/nimbrel", "Local"):
                    os.makedirs(os.path.join(home, made))
                with open(os.path.join(home, "Roaming", "nimbrel", "nimbrel.conf"), "w") as f:
                    f.write("xRes=5\n")
                as_user = [WINE, os.path.join(BUILD, "tests", "as_user.exe"), kind]
                run = self.xvfb.run(as_user + [wine_path(os.path.join(BUILD, "nimbrel.exe"))], cwd=folder, timeout=DEADLINE)
                # The settings read (no 640x480 window), the refusal in %LOCALAPPDATA%.
                self.assertEqual(run.returncode, 1)
                with open(os.path.join(home, "Local", "nimbrel", "stdout.txt")) as f:
                    self.assertIn(REFUSAL, f.read())

                # The dialog saves there.
                program = XTestCase.start(self, env={"LD_PRELOAD": ""},
                                          command=as_user + [wine_path(os.path.join(BUILD, "nimbrel.scr")), "/c"])
                found = self.xvfb.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "nimbrel settings"],
                                      timeout=DEADLINE)
                program.window = found.stdout.split()[0]
                program.key("7", "Return")
                self.assertEndsCleanly(program)
                with open(os.path.join(home, "Roaming", "nimbrel", "nimbrel.conf")) as f:
                    self.assertEqual(f.read(), "xRes=5\ndropRate=7\ndropSpeed=50\ntailLength=10\nshowDrops=1\n")

    def test_settings_come_from_appdata_and_logging_off_ends_it(self):
        program = self.start("nimbrel.exe", appdata="fullscreen=1\n")
        program.find_window()
        self.assertEqual(program.geometry(), (1024, 768))
        subprocess.run([WINE, "wineboot", "--end-session"], env=self.xvfb.env(), timeout=DEADLINE)
        self.assertEndsCleanly(program)


class ScreenSaverTest(WineTestCase):

    def test_s_covers_the_screen_and_input_ends_it(self):
        ends = {"a key": lambda p: p.key("x"), "a button": lambda p: p.click(1, 500, 400),
                "the mouse moving": lambda p: p.move_mouse(700, 600)}
        for what, ending in ends.items():
            with self.subTest(what):
                self.xvfb.run(["xdotool", "mousemove", "500", "400"])
                # At the defaults, falling drops show far above the floor.
                program = self.start("nimbrel.scr", "/S")
                window = program.find_window()
                self.assertEqual(program.geometry(), (1024, 768))
                picture = self.xvfb.wait_for_picture(window, lambda p: len(colours(p, bottom=400)) > 20)
                self.rain_goes_on(program, window, picture)
                ending(program)
                self.assertEndsCleanly(program)

    def test_p_draws_inside_its_window_and_ends_when_that_window_goes(self):
        handle_file = os.path.join(tempfile.mkdtemp(prefix="nimbrel-host-"), "handle")
        host = subprocess.Popen([WINE, os.path.join(BUILD, "tests", "preview_host.exe"), wine_path(handle_file), "10"],
                                env=self.xvfb.env(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(end, host, 1)
        wait_for(lambda: os.path.exists(handle_file), "the preview's host window did not show")
        with open(handle_file) as f:
            handle = f.read().strip()
        preview = self.start("nimbrel.scr", "/p", handle)
        host_window = int(self.xvfb.run(["xdotool", "search", "--onlyvisible", "--pid", str(host.pid)]).stdout.split()[0])
        # The host's grey gives way to the black picture with falling drops on
        # it, at the defaults: below the host's own title bar, which has colours.
        def rain_inside(shot):
            black = sum(1 for y in range(30, shot.height - 10) for x in range(10, shot.width - 10)
                        if shot.pixel(x, y) == (0, 0, 0))
            drops = [p for p in colours(shot, bottom=120) if p[1] >= 30]
            return black > (shot.width - 20) * (shot.height - 40) * 0.8 and len(drops) > 5
        self.xvfb.wait_for_picture(host_window, rain_inside, "no rain in the preview's host window")
        self.xvfb.save_png(os.path.join(BUILD, "preview.png"), host_window)
        self.assertEqual(preview.wait(), 0)
        self.assertIsNone(host.poll(), "the preview must end with the window, before its process")

    def test_c_shows_the_dialog_and_ok_changes_only_the_lines_it_sets(self):
        # (the file, the keys typed, the file after OK): a commented CRLF file, and
        # files as Notepad saves them, whose first setting must be read.
        rest = "dropSpeed=50\r\ntailLength=10\r\nshowDrops=1\r\n"
        cases = [(b"# my rain\r\ndropRate=33\r\n\r\nkeep=me\r\n", ("7", "7", "Tab", "1", "Return"),
                  b"# my rain\r\ndropRate=77\r\n\r\nkeep=me\r\ndropSpeed=1\r\ntailLength=10\r\nshowDrops=1\r\n"),
                 ("dropRate=33\r\n".encode("utf-8-sig"), ("Return",), ("dropRate=33\r\n" + rest).encode("utf-8-sig")),
                 ("dropRate=33\r\n".encode("utf-16"), ("Return",), ("dropRate=33\r\n" + rest).encode("utf-16"))]
        for appdata, keys, expected in cases:
            with self.subTest(appdata):
                program = self.start("nimbrel.scr", "/c", appdata=appdata)
                program.find_window()
                # Keys reach the dialog once Wine has drawn it.
                self.xvfb.wait_for_picture(program.window, lambda p: len(set(p.rgb[::3])) > 2, "no dialog drawn")
                program.key(*keys)
                self.assertEndsCleanly(program)
                with open(os.path.join(APPDATA, "nimbrel.conf"), "rb") as f:
                    self.assertEqual(f.read(), expected)


class InstallerTest(unittest.TestCase):

    def test_installs_silently_and_the_uninstaller_removes_it(self):
        installed = [os.path.join(DRIVE_C, "Program Files", "nimbrel", name)
                     for name in ("nimbrel.exe", "nimbrel.scr", "nimbrel.conf.example", "LICENSE.txt", "uninstall.exe")]
        installed += [os.path.join(DRIVE_C, "windows", "system32", "nimbrel.scr"),
                      os.path.join(DRIVE_C, "ProgramData", "Microsoft", "Windows", "Start Menu", "Programs", "nimbrel.lnk")]
        env = dict(os.environ, DISPLAY="")
        setup = os.path.join(BUILD, "nimbrel-1.0-setup.exe")
        self.assertEqual(subprocess.run([WINE, setup, "/S"], env=env, timeout=DEADLINE).returncode, 0)
        subprocess.run(["/usr/lib/wine/wineserver", "-w"], env=env, timeout=DEADLINE)
        self.assertEqual([p for p in installed if not os.path.exists(p)], [])
        with open(os.path.join(PREFIX, "system.reg")) as f:
            entry = f.read().split("CurrentVersion\\\\Uninstall\\\\nimbrel]")[1].split("\n[")[0]
        self.assertRegex(entry, r'"EstimatedSize"=dword:0000[0-9a-f]{4}')
        # The user chose nimbrel's saver: the uninstaller takes that choice away.
        subprocess.run([WINE, "reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "SCRNSAVE.EXE", "/d",
                        "C:\\windows\\system32\\nimbrel.scr", "/f"], env=env, timeout=DEADLINE, capture_output=True)
        subprocess.run(["/usr/lib/wine/wineserver", "-w"], env=env, timeout=DEADLINE)
        with open(os.path.join(PREFIX, "user.reg")) as f:
            self.assertIn("nimbrel.scr", f.read())
        # Wine splits "_?=C:\Program Files\nimbrel" at its space: the
        # uninstaller runs as a copy of itself, waited for with Wine itself.
        uninstaller = "C:\\Program Files\\nimbrel\\uninstall.exe"
        self.assertEqual(subprocess.run([WINE, uninstaller, "/S"], env=env, timeout=DEADLINE).returncode, 0)
        subprocess.run(["/usr/lib/wine/wineserver", "-w"], env=env, timeout=DEADLINE)
        self.assertEqual([p for p in installed if os.path.exists(p)], [])
        self.assertFalse(os.path.exists(os.path.dirname(installed[0])))
        with open(os.path.join(PREFIX, "system.reg")) as f:
            self.assertNotIn("Uninstall\\\\nimbrel]", f.read())
        with open(os.path.join(PREFIX, "user.reg")) as f:
            self.assertNotIn("nimbrel.scr", f.read())


class ResourceTest(unittest.TestCase):

    def test_both_programs_have_the_manifest_the_icon_and_the_version(self):
        def extract(program, kind):
            return subprocess.run(["wrestool", "-x", "--raw", "--type=%d" % kind, os.path.join(BUILD, program)],
                                  capture_output=True, check=True).stdout
        for program in ("nimbrel.exe", "nimbrel.scr"):
            with self.subTest(program):
                self.assertTrue(extract(program, 14))  # the icon's group
                manifest = extract(program, 24).decode()
                self.assertIn("PerMonitorV2", manifest)
                self.assertIn("Microsoft.Windows.Common-Controls", manifest)
                version = extract(program, 16).decode("utf-16-le", "replace")
                for key in ("FileDescription", "ProductName", "CompanyName", "LegalCopyright", "FileVersion"):
                    self.assertIn(key, version)
        # String 1 of the table's first block, after string 0's empty length.
        self.assertTrue(extract("nimbrel.scr", 6).startswith(b"\x00\x00\x07\x00" + "nimbrel".encode("utf-16-le")))


if __name__ == "__main__":
    unittest.main()
