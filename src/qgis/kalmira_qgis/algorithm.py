"""The Processing algorithm "Quelldateien umrechnen": one or many sources into a GeoPackage."""

import pathlib

import kalmira
from osgeo import ogr, osr
from qgis.core import (
    QgsProcessing,
    QgsProcessingAlgorithm,
    QgsProcessingException,
    QgsProcessingParameterBoolean,
    QgsProcessingParameterFile,
    QgsProcessingParameterFileDestination,
    QgsProcessingParameterMultipleLayers,
    QgsProcessingProvider,
)

from .words import word

_FIELDS = [("quelle", ogr.OFTString), ("punkt", ogr.OFTInteger)] + [
    (f"beschreibung{i}", ogr.OFTString) for i in (1, 2, 3)
]


class Provider(QgsProcessingProvider):
    def loadAlgorithms(self):  # noqa: N802 (the names QGIS calls)
        self.addAlgorithm(ConvertSources())

    def id(self):
        return "kalmira"

    def name(self):
        return "KALMIRA"


class ConvertSources(QgsProcessingAlgorithm):
    def createInstance(self):  # noqa: N802
        return ConvertSources()

    def name(self):
        return "quelldateien_umrechnen"

    def displayName(self):  # noqa: N802
        return word("algorithm")

    def shortHelpString(self):  # noqa: N802
        return word("algorithm_help")

    def initAlgorithm(self, config=None):  # noqa: N802
        self.addParameter(
            QgsProcessingParameterMultipleLayers(
                "QUELLEN", word("sources"), QgsProcessing.TypeFile, optional=True
            )
        )
        self.addParameter(
            QgsProcessingParameterFile(
                "ORDNER", word("folder"), QgsProcessingParameterFile.Folder, optional=True
            )
        )
        self.addParameter(QgsProcessingParameterBoolean("JE_QUELLE", word("per_source"), False))
        self.addParameter(
            QgsProcessingParameterFileDestination("AUSGABE", word("output"), "GeoPackage (*.gpkg)")
        )

    def processAlgorithm(self, parameters, context, feedback):  # noqa: N802
        # Processing gives an empty name for no file.
        sources = [s for s in self.parameterAsFileList(parameters, "QUELLEN", context) if s]
        folder = self.parameterAsFile(parameters, "ORDNER", context)
        if folder:
            sources += sorted(str(p) for p in pathlib.Path(folder).iterdir() if _is_source(p))
        if not sources:
            raise QgsProcessingException(word("no_sources"))
        output = self.parameterAsFileOutput(parameters, "AUSGABE", context)
        per_source = self.parameterAsBoolean(parameters, "JE_QUELLE", context)
        package = _GeoPackage(output, per_source)
        converted = 0
        for step, source in enumerate(sources):
            if feedback.isCanceled():
                break
            feedback.setProgress(100 * step / len(sources))
            name = pathlib.Path(source).stem
            try:
                conversion = kalmira.convert(source)
            except (OSError, ValueError) as error:
                feedback.reportError(str(error))
                continue
            for hint in conversion.hints:
                feedback.pushWarning(f"{name}: {hint.text}")
            package.add(name, conversion.points)
            feedback.pushInfo(word("points", name=name, count=len(conversion.points)))
            converted += 1
        package.close()
        if not converted:
            raise QgsProcessingException(word("none_converted"))
        return {"AUSGABE": output}


def _is_source(path):
    return path.is_file() and path.suffix.lower() == ".bcr"


class _GeoPackage:
    """The sources' points in a new GeoPackage: in one layer "punkte", or in a layer per source
    named after it, where a name taken already gets the next number ("messung (2)")."""

    def __init__(self, path, per_source):
        driver = ogr.GetDriverByName("GPKG")
        if pathlib.Path(path).exists():
            driver.DeleteDataSource(path)  # Processing asked whether to replace it
        self._package = driver.CreateDataSource(path)
        if self._package is None:
            raise QgsProcessingException(word("not_written", path=path))
        self._wgs84 = osr.SpatialReference()
        self._wgs84.ImportFromEPSG(4326)
        self._wgs84.SetAxisMappingStrategy(osr.OAMS_TRADITIONAL_GIS_ORDER)
        self._per_source = per_source
        self._layers = {}

    def add(self, source_name, points):
        layer = self._layer(source_name if self._per_source else "punkte")
        layer.StartTransaction()
        for point in points:
            feature = ogr.Feature(layer.GetLayerDefn())
            pieces = (point.description1, point.description2, point.description3)
            values = {"quelle": source_name, "punkt": point.number}
            values.update((f"beschreibung{i}", piece) for i, piece in enumerate(pieces, 1))
            for field, value in values.items():
                feature.SetField(field, value)
            if point.on_map:
                place = ogr.Geometry(ogr.wkbPoint)
                place.AddPoint_2D(point.longitude, point.latitude)
                feature.SetGeometry(place)
            layer.CreateFeature(feature)
        layer.CommitTransaction()

    def _layer(self, name):
        if name in self._layers and not self._per_source:
            return self._layers[name]
        unique, number = name, 1
        while unique in self._layers:
            number += 1
            unique = f"{name} ({number})"
        layer = self._package.CreateLayer(unique, self._wgs84, ogr.wkbPoint)
        for field, kind in _FIELDS:
            layer.CreateField(ogr.FieldDefn(field, kind))
        self._layers[unique] = layer
        return layer

    def close(self):
        self._layers.clear()
        self._package = None  # GDAL finishes the file when its last reference goes
