"""Too little memory for the rain's own grid ends the program with one clear
line and status 1, never a crash."""
import unittest

from harness import sanitized
from test_bad_values import Outcomes


class MemoryLimitTest(Outcomes):

    @unittest.skipIf(sanitized(), "AddressSanitizer needs more address space than the limit")
    def test_a_landing_grid_too_large_for_memory(self):
        # Less and less address space: the video surface fits first, the
        # rain's own grid and layer (9 bytes a pixel) then no longer do.
        results = []
        for mib in (400, 300, 250, 200, 175, 150, 125):
            with self.subTest(memory_mib=mib):
                result = self.outcome("xRes=4000\nyRes=4000\nscale=1\nframeRate=5\n", memory_mib=mib)
                print("%d MiB: %s" % (mib, result))
                results.append(result)
        self.assertTrue(any("not enough memory for it" in r for r in results), results)


if __name__ == "__main__":
    unittest.main()
