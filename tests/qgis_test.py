"""QGIS, offscreen, opens a source through the KALMIRA plugin as a valid layer of its points and
draws it, labelled, over the countries of Natural Earth, into a picture.
Usage: QT_QPA_PLATFORM=offscreen GDAL_DRIVER_PATH=PLUGIN_FOLDER qgis_test.py SOURCE COUNTRIES PICTURE"""
import sys

from qgis import core
from qgis.PyQt.QtCore import QSize
from qgis.PyQt.QtGui import QColor

source, countries, picture = sys.argv[1:4]
application = core.QgsApplication([], False)
application.initQgis()
points = core.QgsVectorLayer(source, "punkte", "ogr")
assert (
    points.isValid() and points.featureCount() == 3
), "QGIS does not open the source as its points"
assert points.crs().authid() == "EPSG:4326"
points.renderer().setSymbol(core.QgsMarkerSymbol.createSimple({"color": "#c62a22", "size": "4"}))
labels = core.QgsPalLayerSettings()
labels.fieldName = "beschreibung1"
points.setLabeling(core.QgsVectorLayerSimpleLabeling(labels))
points.setLabelsEnabled(True)
land = core.QgsVectorLayer(countries, "länder", "ogr")
land.renderer().symbol().setColor(QColor("#f6f3ec"))

settings = core.QgsMapSettings()
settings.setLayers([points, land])
settings.setExtent(points.extent().buffered(1.5))
settings.setOutputSize(QSize(800, 640))
settings.setBackgroundColor(QColor("#cfe1ee"))
job = core.QgsMapRendererParallelJob(settings)
job.start()
job.waitForFinished()
image = job.renderedImage()
red = sum(
    image.pixelColor(x, y).name() == "#c62a22" for x in range(0, 800, 2) for y in range(0, 640, 2)
)
assert red > 20, "the points are not drawn"
image.save(picture)
print(f"QGIS opens {source} as {points.featureCount()} points and draws them into {picture}")
del points, land, job  # before QGIS goes, or it goes down with them
application.exitQgis()
