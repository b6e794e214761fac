"""Files as GDAL reads them, for the binding: the driver and QGIS read sources in ZIPs too."""

from osgeo import gdal


class VirtualFile:
    """A file through GDAL's own file functions, so that /vsizip/ and the like are read too.
    They say how large a file is but not whether a read failed: one that ends before did."""

    def __init__(self, filename):
        status = gdal.VSIStatL(filename)
        self._file = gdal.VSIFOpenL(filename, "rb") if status else None
        if self._file is None:
            raise FileNotFoundError(filename)
        self._remaining = status.size

    def __enter__(self):
        return self

    def __exit__(self, *_):
        gdal.VSIFCloseL(self._file)

    def read(self, size):
        data = gdal.VSIFReadL(1, size, self._file) if self._remaining else b""
        if not data and self._remaining:
            raise OSError("read failed")
        self._remaining -= len(data)
        return data
