# SPDX-License-Identifier: MIT
"""Too little memory for the rain's own grid ends the program with one clear
line and status 1, never a crash."""
import unittest

from harness import LIBRARY, sanitized
from test_bad_values import Outcomes, by_library

# Address space for a 4000x4000 picture. Classic SDL 1.2 needs little beyond
# the picture itself. sdl12-compat draws through SDL 2 with Mesa's software
# OpenGL, whose threads and buffers take some 900 MiB before the rain asks for
# its grid; below that the video mode fails, and at some limits Mesa itself
# crashes on an allocation it does not check. The SDL 2 build draws without
# a renderer and needs about what classic SDL 1.2 does.
CLASSIC_MIB = (400, 300, 250, 200, 175, 150, 125)
LIMITS_MIB = by_library(CLASSIC_MIB, (1300, 1100, 1050, 1000, 950), CLASSIC_MIB)


class MemoryLimitTest(Outcomes):

    @unittest.skipIf(sanitized(), "AddressSanitizer needs more address space than the limit")
    def test_a_landing_grid_too_large_for_memory(self):
        # Less and less address space: the video surface fits first, the
        # rain's own grid and layer (9 bytes a pixel) then no longer do.
        # Mesa starts a thread a core: as many as here on every machine.
        results = []
        for mib in LIMITS_MIB:
            with self.subTest(memory_mib=mib):
                result = self.outcome("xRes=4000\nyRes=4000\nscale=1\nframeRate=5\n", memory_mib=mib,
                                      env={"LP_NUM_THREADS": "2"})
                print("%s, %d MiB: %s" % (LIBRARY, mib, result))
                results.append(result)
        self.assertTrue(any("not enough memory for it" in r for r in results), results)


if __name__ == "__main__":
    unittest.main()
