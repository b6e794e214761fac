# gdal: DRIVER_NAME = "KALMIRA"
# gdal: DRIVER_SUPPORTED_API_VERSION = [1]
# gdal: DRIVER_DCAP_VECTOR = "YES"
# gdal: DRIVER_DCAP_VIRTUALIO = "YES"
# gdal: DRIVER_DMD_LONGNAME = "KALMIRA survey points (.bcr)"
# gdal: DRIVER_DMD_EXTENSIONS = "bcr"
"""KALMIRA's sources as GDAL reads them, where GDAL runs Python (QGIS on Windows among them): a
read-only vector driver over the Python binding beside it, found by GDAL in the folder that
GDAL_PYTHON_DRIVER_PATH names. It gives the layer the C++ plugin gives: the points in WGS 84,
numbered, with their three description pieces; a point off the map without a place; the hints as
warnings."""

import os
import sys

from gdal_python_driver import BaseDataset, BaseDriver, BaseLayer
from osgeo import gdal, ogr

# The binding is the package this file lies in, imported from the folder that holds it.
sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import kalmira  # noqa: E402
from kalmira.virtual_file import VirtualFile  # noqa: E402

del sys.path[0]

_FIELDS = [("punkt", ogr.OFTInteger)] + [(f"beschreibung{i}", ogr.OFTString) for i in (1, 2, 3)]


class Layer(BaseLayer):
    def __init__(self, name, points):
        self.name = name
        self.fields = [{"name": field, "type": kind} for field, kind in _FIELDS]
        self.geometry_fields = [{"name": "", "type": ogr.wkbPoint, "srs": "EPSG:4326"}]
        self.iterator_honour_attribute_filter = False
        self.iterator_honour_spatial_filter = False
        self.feature_count_honour_attribute_filter = False
        self.feature_count_honour_spatial_filter = False
        self._points = points

    def test_capability(self, capability):
        return capability in (BaseLayer.FastFeatureCount, BaseLayer.StringsAsUTF8)

    def feature_count(self, force):
        return len(self._points)

    def __iter__(self):
        for point in self._points:
            pieces = (point.description1, point.description2, point.description3)
            # The shortest text that reads back as the conversion's double.
            place = (
                f"POINT ({point.longitude!r} {point.latitude!r})" if point.on_map else "POINT EMPTY"
            )
            yield {
                "type": "OGRFeature",
                "id": point.number,
                "fields": dict(zip([field for field, _ in _FIELDS], (point.number, *pieces))),
                "geometry_fields": {"": place},
            }


class Dataset(BaseDataset):
    def __init__(self, name, points):
        self.layers = [Layer(name, points)]


class Driver(BaseDriver):
    # GDAL asks about every file it opens: the name and the first bytes decide.
    def identify(self, filename, first_bytes, open_flags, open_options={}):
        return (
            filename.lower().endswith(".bcr")
            or b"[COORDINATES]" in first_bytes
            or b"[DESCRIPTION]" in first_bytes
        )

    def open(self, filename, first_bytes, open_flags, open_options={}):
        # Read-only: a program that tries to write first (QGIS does) hears nothing of it.
        if open_flags & gdal.OF_UPDATE or not self.identify(filename, first_bytes, open_flags):
            return None
        try:
            with VirtualFile(filename) as file:
                conversion = kalmira.convert(file, filename)
        except FileNotFoundError:
            return None
        except kalmira.NoSourceError as error:
            gdal.Error(gdal.CE_Failure, gdal.CPLE_OpenFailed, str(error))
            return None
        except (OSError, MemoryError) as error:
            gdal.Error(gdal.CE_Failure, gdal.CPLE_FileIO, str(error))
            return None
        for hint in conversion.hints:
            gdal.Error(gdal.CE_Warning, gdal.CPLE_AppDefined, hint.text)
        name = os.path.basename(filename).rsplit(".", 1)[0]
        return Dataset(name, conversion.points)
