"""Sources through GDAL with a KALMIRA driver, in GDAL's Python, ogrinfo and ogr2ogr: every
end-to-end case against the console program's target, the coordinate table's places (worked out
apart) against the layer's, the hint table's sources against its hints. The driver is the C++
plugin or the Python one (KALMIRA_GDAL_DRIVER=python), whichever GDAL_DRIVER_PATH or
GDAL_PYTHON_DRIVER_PATH names; where both are named, one answers.
Usage: gdal_test.py CASE_EXPORT LIBRARY_CONVERT [unittest options]"""
import atexit
import ctypes.util
import importlib.util
import os
import pathlib
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile
from decimal import ROUND_HALF_UP, Decimal

from case_runs import cases, one_source_runs

EXPORT, LIBRARY_CONVERT = sys.argv[1:3]
if importlib.util.find_spec("osgeo") is None or shutil.which("ogr2ogr") is None:
    print("skipped: no GDAL Python or tools here (scripts/install-build-tools gdal installs them)")
    sys.exit(77)
# GDAL's tools run a driver in Python through Python's shared library (Debian's libpython3.x).
shared_python = ctypes.util.find_library("python%d.%d" % sys.version_info[:2])
if os.environ.get("KALMIRA_GDAL_DRIVER") == "python" and shared_python is None:
    print("skipped: GDAL's tools cannot run the Python driver without Python's shared library here")
    sys.exit(77)
from osgeo import gdal, ogr  # noqa: E402

gdal.UseExceptions()
FOLDER = pathlib.Path(tempfile.mkdtemp(prefix="kalmira-gdal-"))
atexit.register(shutil.rmtree, FOLDER)
NO_SOURCE = 1  # the outcome of a file with neither section (kalmira.h)


def written(name, data):
    (FOLDER / name).write_bytes(data)
    return str(FOLDER / name)


def opened(path):
    """The layer's features (their geometry and fields), through GDAL's Python."""
    source = ogr.Open(path)  # held while its layer is read: GDAL frees the layer with it
    return [(f.GetGeometryRef().Clone(), [*f.items().values()]) for f in source.GetLayer(0)]


def said(path):
    """What ogrinfo says while it opens a source: its warnings, and whether it opened it."""
    done = subprocess.run(["ogrinfo", "-q", path], capture_output=True, text=True)
    warnings = [line[11:] for line in done.stderr.splitlines() if line.startswith("Warning 1: ")]
    return warnings, done.returncode == 0


def digits(point):
    """A point as the target gives it: single precision, eight decimals, ties away from zero."""
    single = [Decimal(struct.unpack("f", struct.pack("f", v))[0]) for v in point.GetPoint_2D()]
    return [format(v.quantize(Decimal("1e-8"), rounding=ROUND_HALF_UP), "f") for v in single]


def windows1252(text):
    """Windows-1252 bytes (as Latin-1 text) as characters; its five unused bytes as Windows has them."""
    return "".join(
        c if c in "\x81\x8d\x8f\x90\x9d" else c.encode("latin1").decode("cp1252") for c in text
    )


def target_lines(target):
    """Each line of a target as its longitude and latitude texts and its pieces, in UTF-8."""
    return [line.split(", ", 2) for line in windows1252(target).split("\r\n")[:-1]]


class Plugin(unittest.TestCase):
    def test_one_driver_named_kalmira_answers(self):
        names = [gdal.GetDriver(i).ShortName for i in range(gdal.GetDriverCount())]
        self.assertEqual(names.count("KALMIRA"), 1)

    def test_every_end_to_end_case_gives_the_console_programs_points(self):
        for run in one_source_runs(EXPORT):
            with self.subTest(run.case):
                path = written("quelle.bcr", run.source)
                # What is no source GDAL does not open; its target is empty.
                features = opened(path) if said(path)[1] else []
                lines = target_lines(run.target.decode("latin1"))
                self.assertEqual(len(features), len(lines))
                for (point, [_, *pieces]), (longitude, latitude, text) in zip(features, lines):
                    if not point.IsEmpty():
                        self.assertEqual(digits(point), [longitude, latitude])
                    in_target_order = (pieces[1], pieces[0], pieces[2])
                    self.assertEqual("".join(p + "," for p in in_target_order if p), text)

    def test_points_are_the_conversions_double_precision_places(self):
        rows = [fields for _, fields in cases(EXPORT, "coordinates.txt")]
        names = [f"Punkt {i} Straße Köln" for i in range(len(rows))]
        coordinates = "".join(f"P={text},{text}\r\n" for text, *_ in rows)
        descriptions = "".join(f"P={name},b,c\r\n" for name in names)
        source = f"[COORDINATES]\r\n{coordinates}[DESCRIPTION]\r\n{descriptions}"
        path = written("erzeugt.bcr", source.encode("cp1252"))
        for (point, fields), [text, *places], name in zip(opened(path), rows, names, strict=True):
            with self.subTest(text):
                exact = [float(place) for place in places[2:]]
                error = max(abs(point.GetX() - exact[0]), abs(point.GetY() - exact[1]))
                self.assertLess(error, 1e-9)
                self.assertEqual([digits(point), fields[1]], [places[:2], name])

    def test_each_hint_of_the_table_as_a_warning(self):
        for line, [source, *hints] in cases(EXPORT, "hints.txt"):
            with self.subTest(f"hints.txt line {line}"):
                # A file with neither section is no source: GDAL says so and opens nothing.
                path = written("quelle.bcr", source.encode("latin1"))
                done = subprocess.run([LIBRARY_CONVERT, path, path + ".asc"], capture_output=True)
                is_source = done.returncode != NO_SOURCE
                wanted = [windows1252(hint) for hint in hints] if is_source else []
                self.assertEqual(said(path), (wanted, is_source))

    def test_ogr2ogr_with_filters_and_a_source_in_a_zip(self):
        example = str(pathlib.Path(__file__).parent.parent / "examples" / "survey.bcr")
        with zipfile.ZipFile(FOLDER / "tag.zip", "w") as archive:
            archive.write(example, "messungen/survey.bcr")
        every = [(p.ExportToWkt(), f) for p, f in opened(example)]
        self.assertEqual(len(every), 3)
        # Kölner Dom alone: Brandenburger Tor fails the attribute filter, Zugspitze the spatial one.
        filters = ["-where", "punkt > 1", "-spat", "6", "48", "14", "53"]
        subprocess.run(
            ["ogr2ogr", "-f", "GPKG", *filters, FOLDER / "punkte.gpkg", example], check=True
        )
        read = {
            f"/vsizip/{FOLDER}/tag.zip/messungen/survey.bcr": every,
            str(FOLDER / "punkte.gpkg"): every[1:2],
        }
        for path, wanted in read.items():
            with self.subTest(path):
                self.assertEqual([(p.ExportToWkt(), f) for p, f in opened(path)], wanted)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1] + sys.argv[3:])
