#!/usr/bin/env python3
"""scripts/check-include-cycles.py on small trees: each case a cycle it must find, or
none where modules only look alike."""

import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts",
                      "check-include-cycles.py")


def run(files):
    with tempfile.TemporaryDirectory() as src:
        for path, text in files.items():
            os.makedirs(os.path.dirname(os.path.join(src, path)), exist_ok=True)
            with open(os.path.join(src, path), "w", encoding="utf-8") as f:
                f.write(text)
        done = subprocess.run([sys.executable, SCRIPT, src], capture_output=True, text=True,
                              check=False)
        return done.returncode, done.stdout + done.stderr


class IncludeCycles(unittest.TestCase):
    def test_cycles_found(self):
        cases = {
            # A header and its source are one module: a.h -> b.h, b.cpp -> a.h.
            "through a source": {
                "core/a.h": '#include "b.h"\n',
                "core/a.cpp": '#include "a.h"\n',
                "core/b.h": "#pragma once\n",
                "core/b.cpp": '#include "b.h"\n#include "a.h"\n',
            },
            # Across folders, by file name as the include folders allow.
            "across folders": {
                "net/x.h": "#pragma once\n",
                "net/x.cpp": '#include "x.h"\n#include "y.h"\n',
                "core/y.h": "#pragma once\n",
                "core/y.cpp": '#include "x.h"\n',
            },
            # form_part.cpp is part of form (no header of its own).
            "a class over several files": {
                "app/form.h": "#pragma once\n",
                "app/form_part.cpp": '#include "form.h"\n#include "panel.h"\n',
                "app/panel.h": "#pragma once\n",
                "app/panel.cpp": '#include "form.h"\n',
            },
            # The ui_*.h of a form includes its custom widgets' headers.
            "a form's custom widget": {
                "app/form.h": '#include "ui_form.h"\n',
                "app/form.ui": "<ui><customwidget><header>widget.h</header></customwidget></ui>\n",
                "app/widget.h": "#pragma once\n",
                "app/widget.cpp": '#include "widget.h"\n#include "form.h"\n',
            },
        }
        for name, files in cases.items():
            with self.subTest(name):
                code, out = run(files)
                self.assertEqual(code, 1, out)
                self.assertIn("include cycle among 2 modules", out)

    def test_three_modules_named_with_their_includes(self):
        code, out = run({
            "p/a.h": '#include "b.h"\n',
            "p/b.h": "#pragma once\n",
            "p/b.cpp": '#include "b.h"\n#include "c.h"\n',
            "p/c.h": "#pragma once\n",
            "p/c.cpp": '#include "c.h"\n\n#include "a.h"\n',
        })
        self.assertEqual(code, 1, out)
        self.assertIn("include cycle among 3 modules: p/a, p/b, p/c", out)
        self.assertIn("p/a -> p/b -> p/c -> p/a", out)
        self.assertIn("p/c -> p/a: p/c.cpp:3", out)

    def test_no_cycle(self):
        code, out = run({
            # A chain, a module's own header, system and unknown headers, an include in a
            # line comment, and a source with an underscore whose prefix is no header.
            "core/a.h": '#include "b.h"\n#include <QString>\n#include "ui_none.h"\n',
            "core/a.cpp": '#include "a.h"\n// #include "c.h"\n',
            "core/b.h": '#include "c.h"\n',
            "core/c.h": "#pragma once\n",
            "core/c.cpp": '#include "c.h"\n#include "missing.h"\n',
            "core/z_extra.cpp": '#include "a.h"\n',
        })
        self.assertEqual(code, 0, out)
        self.assertIn("include cycles: none", out)


if __name__ == "__main__":
    unittest.main()
