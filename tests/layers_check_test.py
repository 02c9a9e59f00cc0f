#!/usr/bin/env python3
"""The layers check (scripts/layers.py) on small source trees made in a temporary folder: what it
lets pass and what it reports.

    layers_check_test.py PATH-TO-layers.py
"""
import os
import subprocess
import sys
import tempfile
import unittest

LAYERS = None

# Each case: why, the tree's files {path: text}, whether the check passes, lines its report holds.
CASES = [
    ("a file including its own header and the units below it is no circle",
     {"app/a.cpp": '#include "app/a.h"\n#include "app/b.h"\n', "app/a.h": "", "app/b.h": '#include "app/c.h"\n',
      "app/c.cpp": "#include <cstdio>\n"},
     True, []),
    ("two units including one another through .cpp and .h",
     {"app/a.cpp": '#include "app/b.h"\n', "app/a.h": "", "app/b.cpp": '#include "app/a.h"\n', "app/b.h": ""},
     False, ["circle in app/ among a, b, for one: a -> b -> a"]),
    ("a circle of three, and a unit outside it that only points into it",
     {"app/a.h": '#include "app/b.h"\n', "app/b.h": '#include "app/c.h"\n', "app/c.cpp": ' #  include "app/a.h"\n',
      "app/d.cpp": '#include "app/a.h"\n'},
     False, ["circle in app/ among a, b, c, for one: a -> b -> c -> a"]),
    ("elements/, scenes/ and textures/ may include the state record and the timeline; capture/ anything",
     {"app/show_state.h": "", "app/timeline.h": "", "app/frame.h": "",
      "scenes/s.cpp": '#include "app/show_state.h"\n#include "app/timeline.h"\n',
      "elements/e.h": '#include "app/timeline.h"\n', "textures/t.cpp": '#include "textures/t.h"\n',
      "capture/c.cpp": '#include "app/frame.h"\n'},
     True, []),
    ("a drawing file including more of app/: each line reported",
     {"app/frame.h": "", "app/controls.h": "",
      "scenes/s.cpp": '#include "app/show_state.h"\n#include "app/frame.h"\n',
      "textures/sub/t.cpp": '#include "app/controls.h"\n'},
     False, ["scenes/s.cpp:2: includes app/frame.h", "textures/sub/t.cpp:1: includes app/controls.h"]),
    ("platform/ including anything from app/, even the timeline",
     {"app/timeline.h": "", "platform/linux/timer.cpp": '#include "platform/timer.h"\n#include "app/timeline.h"\n'},
     False, ["platform/linux/timer.cpp:2: includes app/timeline.h"]),
]


def run_on(files):
    with tempfile.TemporaryDirectory() as root:
        os.makedirs(os.path.join(root, "app"))
        for path, text in files.items():
            full = os.path.join(root, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w", encoding="utf-8") as out:
                out.write(text)
        done = subprocess.run([sys.executable, LAYERS, root], capture_output=True, text=True, timeout=60)
        return done.returncode, done.stdout.splitlines()


class LayersCheck(unittest.TestCase):
    def test_cases(self):
        for why, files, passes, reported in CASES:
            with self.subTest(why):
                status, lines = run_on(files)
                self.assertEqual(status, 0 if passes else 1, "\n".join(lines))
                faults = [line for line in lines if line.startswith("circle") or ": includes " in line]
                self.assertEqual(sorted(faults), sorted(reported), "\n".join(lines))

    def test_no_app_folder_is_a_usage_error(self):
        with tempfile.TemporaryDirectory() as root:
            done = subprocess.run([sys.executable, LAYERS, root], capture_output=True, text=True, timeout=60)
        self.assertEqual(done.returncode, 2)


if __name__ == "__main__":
    LAYERS = sys.argv.pop(1)
    unittest.main()
