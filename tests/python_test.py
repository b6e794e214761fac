"""The Python package kalmira as pip installs it from the wheel: every end-to-end case gives the
console program's target, the failures their exceptions, and the documented example with pandas
and GeoPandas runs. (Its points and hints: gdal_test.py with the Python driver.)
Usage: PYTHONPATH=INSTALLED python_test.py CASE_EXPORT DOCUMENT [unittest options]"""
import atexit
import importlib.metadata
import io
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

import kalmira
from case_runs import one_source_runs

EXPORT, DOCUMENT = sys.argv[1:3]
FOLDER = pathlib.Path(tempfile.mkdtemp(prefix="kalmira-python-"))
atexit.register(shutil.rmtree, FOLDER)
EXAMPLE = pathlib.Path(__file__).parent.parent / "examples" / "survey.bcr"


class FailingFile(io.RawIOBase):
    def read(self, size=-1):
        raise OSError("the disk went away")


class Binding(unittest.TestCase):
    def test_installed_with_its_library_of_the_wheels_version(self):
        self.assertTrue(kalmira.__file__.startswith(os.environ["PYTHONPATH"]))
        self.assertEqual(kalmira.library_version(), importlib.metadata.version("kalmira"))

    def test_every_end_to_end_case_gives_the_console_programs_target(self):
        for run in one_source_runs(EXPORT):
            with self.subTest(run.case):
                try:
                    conversion = kalmira.convert(run.source, run.source_name)
                except kalmira.NoSourceError:
                    self.assertEqual(run.target, b"")  # the console writes an empty target for it
                    continue
                self.assertEqual(conversion.target, run.target)
                if not run.named_target:
                    self.assertEqual(conversion.target_name, run.target_name)

    def test_a_path_a_file_and_bytes_give_the_same_conversion(self):
        by_path = kalmira.convert(EXAMPLE)
        with open(EXAMPLE, "rb") as file:
            by_file = kalmira.convert(file, os.fspath(EXAMPLE))
        by_bytes = kalmira.convert(EXAMPLE.read_bytes(), os.fspath(EXAMPLE))
        self.assertEqual([by_file, by_bytes], [by_path, by_path])
        self.assertEqual(by_path.target_name, os.fspath(EXAMPLE.with_suffix(".asc")))

    def test_what_cannot_be_read_is_an_oserror(self):
        for name, source in [
            ("a missing file", FOLDER / "fehlt.bcr"),
            ("a failing read", FailingFile()),
        ]:
            with self.subTest(name), self.assertRaises(OSError):
                kalmira.convert(source)

    def test_the_documented_example_with_pandas_and_geopandas(self):
        [example] = re.findall(r"```python\n(.*?)```", pathlib.Path(DOCUMENT).read_text(), re.S)
        shutil.copy(EXAMPLE, FOLDER / "messung.bcr")
        done = subprocess.run(
            [sys.executable, "-c", example], cwd=FOLDER, capture_output=True, text=True
        )
        self.assertEqual(done.returncode, 0, done.stderr)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1] + sys.argv[3:])
