# SPDX-License-Identifier: MIT
"""Runs the real nimbrel binary in an Xvfb server and drives it like a user."""
import fcntl
import glob
import os
import re
import select
import shutil
import signal
import subprocess
import tempfile
import threading
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.join(HERE, "..", "..")
BIN = os.environ.get("NIMBREL_BIN") or os.path.join(ROOT, "build", "nimbrel")
FLIPCOUNT = os.environ.get("NIMBREL_FLIPCOUNT") or os.path.join(ROOT, "build", "tests", "libflipcount.so")
WRAPPER = os.path.join(ROOT, "scripts", "nimbrel-xscreensaver")
# The SDL library the program runs on in this pass: "sdl1.2" (classic SDL
# 1.2), "sdl12-compat" (SDL 1.2 on SDL 2), "sdl2" (a build on SDL 2),
# "sdl2-compat" (that build on SDL 3) or "sdl3" (a build on SDL 3).
LIBRARY = os.environ.get("NIMBREL_SDL_LIBRARY", "sdl1.2")


def is_library(version, library=LIBRARY):
    """Whether an SDL version (major, minor, patch) is the named library's:
    sdl12-compat calls itself 1.2.50 or later, classic SDL 1.2 ends at 1.2.15;
    sdl2-compat's patch level is 50 or more, classic SDL 2's less."""
    compat = version[2] >= 50
    wanted = {"sdl1.2": ((1, 2), False), "sdl12-compat": ((1, 2), True),
              "sdl2": ((2,), False), "sdl2-compat": ((2,), True), "sdl3": ((3,), compat)}
    if library not in wanted:
        raise ValueError("unknown SDL library %r" % library)
    prefix, is_compat = wanted[library]
    return version[:len(prefix)] == prefix and compat == is_compat


# Asks an SDL 1.2 or SDL 2 library its version, apart: a library of the
# same name may already be loaded here.
_VERSION_PROBE = r"""
import ctypes, sys
lib, v = ctypes.CDLL(sys.argv[1]), (ctypes.c_uint8 * 3)()
if hasattr(lib, "SDL_Linked_Version"):
    lib.SDL_Linked_Version.restype = ctypes.POINTER(ctypes.c_uint8 * 3)
    v = lib.SDL_Linked_Version().contents
else:
    lib.SDL_GetVersion(v)
print("%d.%d.%d" % tuple(v))
"""


def sdl_version(library):
    """The version (major, minor, patch) of an SDL 1.2 or 2 library, named
    as the dynamic linker finds it or by its file; None if it does not load."""
    import sys
    r = subprocess.run([sys.executable, "-c", _VERSION_PROBE, library], capture_output=True, text=True)
    return tuple(int(n) for n in r.stdout.split(".")) if r.returncode == 0 else None


def library_name(version):
    """The library of an SDL version, as LIBRARY names them."""
    return next((n for n in ("sdl1.2", "sdl12-compat", "sdl2", "sdl2-compat") if version and is_library(version, n)),
                None)


# Whether this pass runs the SDL 1.2 build (else one on SDL 2 or SDL 3), and
# whether SDL 3 does the work (sdl2-compat, or the SDL 3 build).
ON_SDL12 = LIBRARY in ("sdl1.2", "sdl12-compat")
ON_SDL3 = LIBRARY in ("sdl2-compat", "sdl3")

# The one deadline of every wait for an event: generous, since a sanitizer
# build beside other tests on a busy machine is many times slower, and
# nothing waits it out unless the event never comes.
DEADLINE = float(os.environ.get("NIMBREL_TEST_DEADLINE", "120"))


def wait_for(condition, failure, every=0.1):
    """condition()'s first true value, asked every `every` seconds; fails the
    test with failure (a text, or a function that makes one) at the deadline."""
    deadline = time.monotonic() + DEADLINE
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("after %d s: %s" % (DEADLINE, failure() if callable(failure) else failure))
        time.sleep(every)


class Xvfb:
    """An X server of the test's own; -noreset so that a second client can connect."""

    def __init__(self, size="1024x768x24"):
        read_fd, write_fd = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", size,
             "-noreset", "-nolisten", "tcp"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as f:
            number = f.readline().strip()
        if not number:
            self.proc.kill()
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number
        # A session's runtime folder, as a desktop has one: without it SDL 3
        # (and sdl2-compat on it) reports its missing Wayland socket on stderr.
        self.runtime = tempfile.mkdtemp(prefix="nimbrel-run-")

    def env(self, **extra):
        env = dict(os.environ, DISPLAY=self.display, XDG_RUNTIME_DIR=self.runtime)
        env.pop("SDL_VIDEODRIVER", None)
        # No session bus: SDL 2 would otherwise have D-Bus start one for this
        # display, and leave it running after the test.
        env["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=/nonexistent/nimbrel-test-bus"
        env.update(extra)
        return env

    def run(self, args, timeout=DEADLINE, **kw):
        return subprocess.run(args, env=self.env(), timeout=timeout,
                              capture_output=True, text=True, **kw)

    def screenshot(self, window="root"):
        """The picture as (width, height, rgb bytes)."""
        out = subprocess.run(["timeout", str(int(DEADLINE)), "import", "-window", str(window), "-depth", "8", "ppm:-"],
                             env=self.env(), capture_output=True, check=True).stdout
        return parse_ppm(out)

    def wait_for_picture(self, window, ready, failure="the picture never showed what the test waits for",
                         every=0.3):
        """The window's picture once ready(picture) holds."""
        def shown():
            picture = Picture(self.screenshot(window))
            return ready(picture) and picture
        return wait_for(shown, failure, every)

    def save_png(self, path, window="root"):
        subprocess.run(["timeout", str(int(DEADLINE)), "import", "-window", str(window), path],
                       env=self.env(), check=True)

    def close(self):
        end(self.proc, 5)
        shutil.rmtree(self.runtime, ignore_errors=True)


def end(proc, grace):
    """Asks a process to end, and kills it if it has not within grace seconds."""
    if proc.poll() is not None:
        return
    proc.terminate()
    try:
        proc.wait(grace)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()


def parse_ppm(data):
    # P6 header: magic, width, height, maxval, each separated by whitespace.
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    pos += 1
    assert fields[0] == b"P6" and fields[3] == b"255", fields
    return int(fields[1]), int(fields[2]), data[pos:]


class Picture:
    def __init__(self, shot):
        self.width, self.height, self.rgb = shot

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.rgb[i:i + 3])

    def lit(self, left=0, top=0, right=None, bottom=None):
        """Coordinates of every non-black pixel inside the box."""
        right = self.width if right is None else right
        bottom = self.height if bottom is None else bottom
        found = []
        for y in range(top, bottom):
            row = 3 * y * self.width
            chunk = self.rgb[row + 3 * left:row + 3 * right]
            if chunk.count(0) == len(chunk):
                continue
            for x in range(left, right):
                if self.pixel(x, y) != (0, 0, 0):
                    found.append((x, y))
        return found


class Program:
    """One run of nimbrel in its own working directory."""

    def __init__(self, xvfb, settings=None, env=None, command=None, memory_mib=None):
        self.xvfb = xvfb
        self.dir = tempfile.mkdtemp(prefix="nimbrel-")
        if callable(settings):  # makes something other than a plain file there
            settings(os.path.join(self.dir, "nimbrel.conf"))
        elif settings is not None:
            with open(os.path.join(self.dir, "nimbrel.conf"), "w") as f:
                f.write(settings)
        self.out = open(os.path.join(self.dir, "stdout"), "w+")
        self.err = open(os.path.join(self.dir, "stderr"), "w+")
        self.flips = os.path.join(self.dir, "flips")
        # Count the frames shown; a sanitizer runtime would otherwise insist
        # on coming first.
        counting = {"LD_PRELOAD": FLIPCOUNT, "NIMBREL_FLIPS": self.flips,
                    "ASAN_OPTIONS": os.environ.get("ASAN_OPTIONS", "") + ":verify_asan_link_order=0"}
        # Settings come from the test alone, not from the user's or the
        # machine's nimbrel.conf, which nimbrel would find otherwise.
        counting.update({"XDG_CONFIG_HOME": self.dir, "XDG_CONFIG_DIRS": self.dir})
        counting.update(env or {})
        # Without the frame counter (a build without tests) there is no
        # first frame to wait for.
        self.counted = any(os.path.exists(p) for p in counting["LD_PRELOAD"].split())
        def as_from_a_shell():  # in the child, before it starts the program
            # A test run in the background (as the test command runs them)
            # inherits SIGINT ignored, which nimbrel then rightly keeps.
            signal.signal(signal.SIGINT, signal.SIG_DFL)
            if memory_mib is not None:
                import resource
                size = memory_mib * 1024 * 1024
                resource.setrlimit(resource.RLIMIT_AS, (size, size))
        self.proc = subprocess.Popen(command or [BIN], cwd=self.dir, env=xvfb.env(**counting),
                                     stdout=self.out, stderr=self.err, stdin=subprocess.DEVNULL,
                                     preexec_fn=as_from_a_shell)
        self.window = None

    def first_frame(self):
        """(SDL version as (major, minor, patch), time.monotonic() of the
        first frame), known once the program has shown it; None before."""
        try:
            with open(self.flips + ".version") as f:
                version, at = f.read().split()
        except FileNotFoundError:
            return None
        return tuple(int(n) for n in version.split(".")), float(at)

    def frames_shown(self):
        """How many frames the running program has shown so far."""
        try:
            with open(self.flips + ".live", "rb") as f:
                return int.from_bytes(f.read(8) or b"\0", "little")
        except FileNotFoundError:
            return 0

    def wait_frames(self, count):
        """Waits until the program has shown count more frames than now."""
        target = self.frames_shown() + count
        wait_for(lambda: self.assertRunning() or self.frames_shown() >= target,
                 lambda: "only %d of %d frames shown" % (self.frames_shown(), target))

    def shown_version(self):
        """The SDL version the program runs on, once it has shown a frame."""
        first = self.first_frame()
        return first and first[0]

    def last_frame_time(self):
        """After the program has ended normally: time.monotonic() of its last frame."""
        with open(self.flips) as f:
            return float(f.read().split()[2])

    def frames(self):
        """After the program has ended: (frames shown, seconds from first to last)."""
        with open(self.flips) as f:
            count, first, last = f.read().split()
        return int(count), float(last) - float(first)

    def cpu_seconds(self):
        """User plus system time the running program has used so far."""
        return cpu_seconds(self.proc.pid)

    def resident_mib(self):
        with open("/proc/%d/status" % self.proc.pid) as f:
            return int(re.search(r"^VmRSS:\s+(\d+) kB", f.read(), re.M).group(1)) / 1024

    def find_window(self):
        """The top-level window of the program (the one a window manager talks
        to), once the program has shown a frame in it: SDL 2 under sdl12-compat
        opens a window and replaces it with another before the first frame."""
        def shown():
            self.assertRunning()
            ids = (self.shown_version() is not None or not self.counted) and self.visible_windows()
            return ids and ids[0]
        self.window = wait_for(shown, "no window with a frame in it appeared")
        return self.window

    def first_shown(self):
        """Waits for the first frame, for a program with no X window to find
        (on Wayland)."""
        wait_for(lambda: self.assertRunning() or self.shown_version(), "nimbrel showed no frame")

    def assertRunning(self):
        if self.proc.poll() is not None:
            raise AssertionError("nimbrel ended early with status %s: %s"
                                 % (self.proc.returncode, self.stdout() + self.stderr()))

    def visible_windows(self):
        r = self.xvfb.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.proc.pid)])
        return [int(w) for w in r.stdout.split()]

    def geometry(self, keys=("Width", "Height")):
        """The window's size, or other values xwininfo gives by name."""
        info = self.xvfb.run(["xwininfo", "-id", str(self.window)]).stdout
        return tuple(int(re.search(r"%s: +(-?\d+)" % key, info).group(1)) for key in keys)

    def key(self, *names):
        # Real key events through XTEST go to the focused window.
        self.xvfb.run(["xdotool", "windowfocus", "--sync", str(self.window)])
        self.xvfb.run(["xdotool", "key", "--delay", "50", *names])

    def move_mouse(self, x, y):
        self.xvfb.run(["xdotool", "mousemove", "--window", str(self.window), str(x), str(y)])

    def click(self, button=1, x=3, y=3):
        self.xvfb.run(["xdotool", "mousemove", "--window", str(self.window), str(x), str(y),
                       "click", str(button)])

    def press_only(self, button=1, x=3, y=3):
        self.xvfb.run(["xdotool", "mousemove", "--window", str(self.window), str(x), str(y),
                       "mousedown", str(button)])

    def request_close(self):
        """Send WM_DELETE_WINDOW as a window manager does when the user closes the window."""
        from Xlib import X, display, protocol
        d = display.Display(self.xvfb.display)
        try:
            w = d.create_resource_object("window", self.window)
            protocols = d.intern_atom("WM_PROTOCOLS")
            delete = d.intern_atom("WM_DELETE_WINDOW")
            event = protocol.event.ClientMessage(window=w, client_type=protocols,
                                                 data=(32, [delete, X.CurrentTime, 0, 0, 0]))
            w.send_event(event, event_mask=X.NoEventMask)
            d.sync()  # or the message can be lost when the connection closes
        finally:
            d.close()

    def running(self):
        return self.proc.poll() is None

    def wait(self, timeout=DEADLINE):
        return self.proc.wait(timeout)

    def stdout(self):
        self.out.flush()
        self.out.seek(0)
        return self.out.read()

    def stderr(self):
        self.err.flush()
        self.err.seek(0)
        return self.err.read()

    def close(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        self.out.close()
        self.err.close()
        shutil.rmtree(self.dir, ignore_errors=True)


def cpu_seconds(pid):
    """User plus system time a running process has used so far."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def sanitized():
    """Whether the binary carries AddressSanitizer, which needs vast address space."""
    out = subprocess.run(["ldd", BIN], capture_output=True, text=True).stdout
    return "libasan" in out


def make_window(display, width, height):
    """A plain top-level X window of the test's own, as a screensaver gives
    its hacks; returns (connection, window). Close the connection to remove it."""
    from Xlib import X, display as xdisplay
    d = xdisplay.Display(display)
    screen = d.screen()
    w = screen.root.create_window(50, 40, width, height, 0, screen.root_depth,
                                  background_pixel=screen.white_pixel,
                                  event_mask=X.ExposureMask | X.StructureNotifyMask)
    w.map()
    d.sync()
    return d, w


def drawn_over(picture):
    """Whether a window of make_window's shows the program's picture, black
    at the corner that no drop reaches, rather than its own white."""
    return picture.pixel(0, 0) == (0, 0, 0)


class FullScreenGranter:
    """The one thing a window manager does that SDL 2 needs for full screen:
    a window whose client asks for _NET_WM_STATE_FULLSCREEN is moved to the
    corner and made the screen's size. Without it, as in a bare Xvfb, such
    a window keeps the size SDL 2 gave it. Classic SDL 1.2 asks nobody: it
    covers the screen with an override-redirect window of its own."""

    def __init__(self, display):
        from Xlib import X, display as xdisplay
        self.conn = xdisplay.Display(display)
        # Requests are sent to the root window for whoever listens there.
        self.conn.screen().root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.state = self.conn.intern_atom("_NET_WM_STATE")
        self.full = self.conn.intern_atom("_NET_WM_STATE_FULLSCREEN")
        self.conn.sync()
        self.lock = threading.Lock()
        self._granted = set()
        self.stopping = threading.Event()
        self.thread = threading.Thread(target=self._serve, daemon=True)
        self.thread.start()

    def granted(self):
        """Windows that were made full screen and still exist (X hands a
        later client the same window ids again)."""
        with self.lock:
            return set(self._granted)

    def _serve(self):
        from Xlib import X, Xatom
        screen = self.conn.screen()
        while not self.stopping.is_set():
            select.select([self.conn.fileno()], [], [], 0.1)
            while self.conn.pending_events():
                event = self.conn.next_event()
                if event.type == X.DestroyNotify:
                    with self.lock:
                        self._granted.discard(event.window.id)
                if event.type != X.ClientMessage or event.client_type != self.state:
                    continue
                _, data = event.data
                if data[0] == 1 and self.full in data[1:3]:  # 1: add
                    event.window.configure(x=0, y=0, width=screen.width_in_pixels,
                                           height=screen.height_in_pixels)
                    event.window.change_property(self.state, Xatom.ATOM, 32, [self.full])
                    self.conn.flush()
                    with self.lock:
                        self._granted.add(event.window.id)

    def close(self):
        self.stopping.set()
        self.thread.join()
        self.conn.close()


class XTestCase(unittest.TestCase):
    """A fresh X server for each test class; every program a test starts is ended."""

    @classmethod
    def setUpClass(cls):
        cls.xvfb = Xvfb()

    @classmethod
    def tearDownClass(cls):
        cls.xvfb.close()

    def start(self, **kw):
        program = Program(self.xvfb, **kw)
        self.addCleanup(program.close)
        return program

    def assertClickEnds(self, program):
        program.click()
        self.assertEqual(program.wait(), 0, program.stderr())


# A build installed as the package would be, for tests of the installed files.
STAGE_PREFIX = "nimbrel-stage-"
BUILD = os.path.dirname(os.path.abspath(BIN))


def staging_unavailable():
    """Why install_staged cannot run here, or None."""
    if shutil.which("cmake") is None:
        return "cmake is not installed"
    if not os.path.exists(os.path.join(BUILD, "CMakeCache.txt")):
        return "%s is not a CMake build to install" % BUILD
    return None


def install_staged():
    """Installs the build with prefix /usr into a new scratch folder that every
    user can read; returns the folder, which the caller removes."""
    stage = tempfile.mkdtemp(prefix=STAGE_PREFIX)
    os.chmod(stage, 0o755)
    subprocess.run(["cmake", "--install", BUILD, "--prefix", "/usr"],
                   env=dict(os.environ, DESTDIR=stage), check=True, capture_output=True)
    return stage


def hold_system_paths(test):
    """Waits until no other test, of this run or of one beside it, has files
    linked where the screensavers look, and keeps them for this test: call it
    first in setUp, so that its cleanup comes last."""
    lock = open(os.path.join(tempfile.gettempdir(), "nimbrel-system-paths.lock"), "a")
    fcntl.flock(lock, fcntl.LOCK_EX)
    test.addCleanup(lock.close)


def shareable_libraries(folder):
    """Copies into folder the libraries that the build's binary loads from
    outside the system's folders (its build tree, LD_LIBRARY_PATH), where
    another user may not read them (a checkout in a folder of mode 0700);
    returns the LD_LIBRARY_PATH that finds the copies, for that user."""
    system = ("/usr/", "/lib")
    path = [d for d in os.environ.get("LD_LIBRARY_PATH", "").split(":") if d]
    ldd = subprocess.run(["ldd", BIN], capture_output=True, text=True).stdout
    found = [line.split()[2] for line in ldd.splitlines() if "=> /" in line]
    for folder_in_path in path:
        if not folder_in_path.startswith(system):  # all of it: sdl2-compat opens SDL 3 itself
            found += glob.glob(os.path.join(folder_in_path, "*.so*"))
    os.makedirs(folder, exist_ok=True)
    for library in found:
        if not library.startswith(system):
            shutil.copy(library, folder)
    os.chmod(folder, 0o755)
    return ":".join([folder] + [d for d in path if d.startswith(system)])


def link_system_path(path, target):
    """Links a system path, where a screensaver looks, to target for a test's
    run; False when something else is there. A link into the stage of a run
    that was killed before it could clean up is taken over."""
    if os.path.islink(path) and STAGE_PREFIX in os.readlink(path) and not os.path.exists(path):
        os.remove(path)
    try:
        os.symlink(target, path)
    except FileExistsError:
        return False
    return True


def processes_of(binary):
    """Processes running the given executable file."""
    found = []
    for pid in os.listdir("/proc"):
        try:
            if pid.isdigit() and os.readlink("/proc/%s/exe" % pid) == binary:
                found.append(int(pid))
        except OSError:
            pass
    return found


def kill_now(pids):
    """SIGKILLs each process; one that has ended meanwhile is what was wanted."""
    for pid in pids:
        try:
            os.kill(pid, signal.SIGKILL)
        except ProcessLookupError:
            pass


def end_group(proc, grace):
    """Ends a process started with start_new_session and all it started."""
    if proc.poll() is None:
        os.killpg(proc.pid, signal.SIGTERM)
        try:
            proc.wait(grace)
        except subprocess.TimeoutExpired:
            os.killpg(proc.pid, signal.SIGKILL)
            proc.wait()


class Weston:
    """A Wayland desktop of the test's own: weston on its X11 back end, drawn
    by pixman in a window of an Xvfb of its own (its headless back end has no
    seat, on which Debian 12's SDL 2 crashes), never blanking, its socket in a
    private XDG_RUNTIME_DIR. With xwayland it offers an X server as well.
    Programs started on it (Program(weston, ...)) see only Wayland, or with
    xwayland Xwayland's display too."""

    title = '"Weston Compositor'  # of its output window on the Xvfb

    def __init__(self, width=1280, height=720, xwayland=False, renderer="pixman"):
        self.width, self.height = width, height
        # A margin beside weston's window, for the pointer to come from.
        self.xvfb = Xvfb(size="%dx%dx24" % (width + 16, height + 16))
        self.runtime = tempfile.mkdtemp(prefix="nimbrel-wayland-")  # mode 0700
        self.socket = "nimbrel-%d" % os.getpid()
        self.log = os.path.join(self.runtime, "weston.log")
        args = ["weston", "--backend=x11-backend.so", "--idle-time=0", "--socket=" + self.socket,
                "--width=%d" % width, "--height=%d" % height, "--log=" + self.log]
        if renderer == "pixman":
            args.append("--use-pixman")
        if xwayland:
            args.append("--xwayland")
        self.proc = subprocess.Popen(args, env=self.xvfb.env(XDG_RUNTIME_DIR=self.runtime),
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                     start_new_session=True)
        self.display = None
        try:
            self._wait_ready(xwayland)
        except Exception:
            self.close()
            raise

    def _wait_ready(self, xwayland):
        def ready():
            if self.proc.poll() is not None:
                raise RuntimeError("weston ended with status %s: %s" % (self.proc.returncode, self.log_text()))
            # Its desktop shell's panel shows once it is up; Xwayland's display
            # is named in the log once it listens.
            if not os.path.exists(os.path.join(self.runtime, self.socket)) or self.window() is None:
                return False
            for line in self.log_text().splitlines():
                if "xserver listening on display" in line:
                    self.display = line.rsplit(" ", 1)[1]
            return self.display or not xwayland
        wait_for(ready, lambda: "weston did not start: " + self.log_text())

    def log_text(self):
        try:
            with open(self.log) as f:
                return f.read()
        except FileNotFoundError:
            return ""

    def window(self):
        """The desktop's output window on the Xvfb, or None before it shows."""
        for line in self.xvfb.run(["xwininfo", "-root", "-children"]).stdout.splitlines():
            if self.title in line:
                return int(line.split()[0], 16)
        return None

    def placed(self, box):
        """Whether a window found at box on the output stays there."""
        return True

    def env(self, **extra):
        env = self.xvfb.env(XDG_RUNTIME_DIR=self.runtime, WAYLAND_DISPLAY=self.socket, **extra)
        if self.display:
            env["DISPLAY"] = self.display
        else:
            del env["DISPLAY"]
        return env

    def screenshot(self):
        """weston's output, as Picture."""
        return Picture(self.xvfb.screenshot(self.window()))

    def click_at(self, x, y, button=1):
        """A real click at a point of the output: weston's X11 back end does
        not survive one sent to its window alone (XSendEvent)."""
        self.point_at(x, y)
        self.xvfb.run(["xdotool", "click", str(button)])

    def key_at(self, x, y, key):
        """A real key press and release, with the pointer at a point of the
        output, so that weston's window has the X server's keyboard."""
        self.point_at(x, y)
        self.xvfb.run(["xdotool", "key", key])

    def point_at(self, x, y):
        # From outside weston's window (at 0,0 on the Xvfb) into it, so that
        # weston sees the pointer enter and gives the surface under it the
        # pointer before anything else comes.
        self.park_pointer()
        self.xvfb.run(["xdotool", "mousemove", "--sync", str(x), str(y)])

    def park_pointer(self):
        """The pointer off the output, beside it. A window that weston 14
        maps under a pointer that has not moved gets the pointer, yet not
        the first click on it."""
        self.xvfb.run(["xdotool", "mousemove", "--sync", str(self.width + 8), str(self.height + 8)])

    def cpu_seconds(self):
        """CPU time of weston and, with xwayland, of Xwayland, which it started."""
        total = cpu_seconds(self.proc.pid)
        for pid in os.listdir("/proc"):
            try:
                if pid.isdigit() and os.readlink("/proc/%s/exe" % pid).endswith("/Xwayland"):
                    if os.getsid(int(pid)) == self.proc.pid:
                        total += cpu_seconds(int(pid))
            except OSError:
                pass
        return total

    def close(self):
        end_group(self.proc, 5)
        self.xvfb.close()
        shutil.rmtree(self.runtime, ignore_errors=True)


def take_slot():
    """Holds one of NIMBREL_E2E_SLOTS slots, shared by every build's tests on
    the machine, until the process ends, so that no more whole-program tests
    run at once than the machine carries; unset or 0: no limit."""
    slots = int(os.environ.get("NIMBREL_E2E_SLOTS") or 0)
    folder = os.path.join(tempfile.gettempdir(), "nimbrel-e2e-slots")
    os.makedirs(folder, exist_ok=True)
    while slots > 0:
        for number in range(slots):
            slot = open(os.path.join(folder, str(number)), "a")
            try:
                fcntl.flock(slot, fcntl.LOCK_EX | fcntl.LOCK_NB)
                return slot
            except BlockingIOError:
                slot.close()
        time.sleep(0.2)
    return None


if __name__ == "__main__":
    import sys
    if sys.argv[1:2] == ["--sdl-library"]:
        # harness.py --sdl-library FILE: the name of the SDL library found
        # under that name or file, for the build's choice of test passes.
        print(library_name(sdl_version(sys.argv[2])) or "none")
    else:  # python3 -m harness [unittest's options] TESTS: run them in a slot
        held = take_slot()
        unittest.main(module=None)
