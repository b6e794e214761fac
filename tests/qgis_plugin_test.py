"""QGIS, offscreen, with the KALMIRA plugin installed from its ZIP into a fresh profile as QGIS's
installer does it, and no C++ plugin: the plugin copies the driver into a folder of its version
and registers it; sources added as layers give their points, their hints reach the message bar
and the log, the example drawn, labelled, over the countries of Natural Earth into a picture; the
Processing algorithm converts a day's folder into a GeoPackage; the next start knows .bcr in its
file filter.
Usage: QT_QPA_PLATFORM=offscreen GDAL_DRIVER_PATH=EMPTY_FOLDER qgis_plugin_test.py PLUGIN_ZIP
       PROFILE_FOLDER COUNTRIES PICTURE [unittest options]"""
import os
import pathlib
import subprocess
import sys
import unittest

from osgeo import gdal, ogr
from qgis import core, gui, utils
from qgis.PyQt.QtCore import QSize
from qgis.PyQt.QtGui import QColor

ZIP, PROFILE, COUNTRIES, PICTURE = sys.argv[1], pathlib.Path(sys.argv[2]).resolve(), *sys.argv[3:5]
# QGIS's installer, Processing
sys.path += ["/usr/share/qgis/python", "/usr/share/qgis/python/plugins"]
application = core.QgsApplication([], True, str(PROFILE))
application.initQgis()
from processing.core.Processing import Processing  # noqa: E402
from pyplugin_installer.unzip import unzip  # noqa: E402

import processing  # noqa: E402

EXAMPLE = pathlib.Path(__file__).parent.parent / "examples" / "survey.bcr"
# A source whose one point lies at 0, 0: one hint.
NEAR_ZERO = b"[COORDINATES]\r\nP=0,0\r\n[DESCRIPTION]\r\nP=Golf\r\n"
log = []
application.messageLog().messageReceived.connect(lambda *message: log.append(message))

# Installed from ZIP, as QGIS's installer does it, beside a copy an earlier version left.
(PROFILE / "kalmira" / "0.9" / "kalmira").mkdir(parents=True)
# QGIS's desktop sets the folder of the profile's plugins, and puts it on the path.
utils.home_plugin_path = str(PROFILE / "python" / "plugins")
unzip(ZIP, utils.home_plugin_path)
sys.path.insert(0, utils.home_plugin_path)


class Window:
    """Stands in for QGIS's main window, of which the plugin uses the message bar."""

    bar = gui.QgsMessageBar()

    def messageBar(self):  # noqa: N802 (QGIS's name)
        return self.bar


utils.iface = Window()
assert utils.loadPlugin("kalmira_qgis") and utils.startPlugin("kalmira_qgis")
Processing.initialize()
import kalmira  # noqa: E402 (the plugin's copy)

COPY = PROFILE / "kalmira" / kalmira.library_version() / "kalmira"  # where the plugin puts it


ALGORITHM = "kalmira:quelldateien_umrechnen"
ABC = {"a": 3, "b": 3, "c": 3}


class Feedback(core.QgsProcessingFeedback):
    """What an algorithm says of its sources: their hints, and why one is skipped."""

    def __init__(self):
        super().__init__()
        self.said = []

    def pushWarning(self, text):  # noqa: N802 (QGIS's names)
        self.said.append(text)

    def reportError(self, text, fatal_error=False):  # noqa: N802
        self.said.append(text)


def added(path):
    layer = core.QgsVectorLayer(str(path), pathlib.Path(path).stem, "ogr")
    core.QgsProject.instance().addMapLayer(layer)
    return layer


class Plugin(unittest.TestCase):
    def test_the_driver_is_the_copy_of_its_version_in_the_profile(self):
        self.assertEqual(pathlib.Path(kalmira.__file__).parent, COPY)
        self.assertEqual([p.name for p in (PROFILE / "kalmira").iterdir()], [COPY.parent.name])
        self.assertIsNotNone(gdal.GetDriverByName("KALMIRA"))

    def test_an_added_source_gives_its_points_drawn_on_the_map(self):
        points = added(EXAMPLE)
        layer = [points.isValid(), points.featureCount(), points.crs().authid()]
        self.assertEqual(layer, [True, 3, "EPSG:4326"])
        red = core.QgsMarkerSymbol.createSimple({"color": "#c62a22", "size": "4"})
        points.renderer().setSymbol(red)
        labels = core.QgsPalLayerSettings()
        labels.fieldName = "beschreibung1"
        points.setLabeling(core.QgsVectorLayerSimpleLabeling(labels))
        points.setLabelsEnabled(True)
        land = core.QgsVectorLayer(COUNTRIES, "länder", "ogr")
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
        pixels = [image.pixelColor(x, y).name() for x in range(0, 800, 2) for y in range(0, 640, 2)]
        self.assertGreater(pixels.count("#c62a22"), 20, "the points are not drawn")
        image.save(PICTURE)

    def test_a_sources_hints_reach_the_message_bar_and_the_log(self):
        path = PROFILE / "null.bcr"
        path.write_bytes(NEAR_ZERO)
        [hint] = kalmira.convert(NEAR_ZERO).hints
        added(path)
        self.assertEqual(utils.iface.messageBar().currentItem().text(), f"null: {hint.text}")
        self.assertIn((f"null: {hint.text}", "KALMIRA", core.Qgis.Warning), log)

    def test_the_algorithm_converts_a_days_folder_or_files_with_their_hints(self):
        day = PROFILE / "tag"
        (day / "zweit").mkdir(parents=True)
        for name in ["a.bcr", "b.bcr", "c.BCR", "zweit/a.bcr"]:
            (day / name).write_bytes(EXAMPLE.read_bytes())
        (day / "null.bcr").write_bytes(NEAR_ZERO)
        (day / "notiz.txt").write_bytes(EXAMPLE.read_bytes())  # no .bcr: not taken
        (day / "leer.bcr").write_bytes(b"keine Quelle")  # no source: said and skipped
        try:
            kalmira.convert(day / "leer.bcr")
        except kalmira.NoSourceError as error:
            said = [str(error), f"null: {kalmira.convert(NEAR_ZERO).hints[0].text}"]
        files = [str(day / "a.bcr"), str(day / "zweit" / "a.bcr")]
        for name, parameters, layers in [
            ("a folder in one layer", {"ORDNER": str(day)}, {"punkte": 10}),
            ("in a layer each", {"ORDNER": str(day), "JE_QUELLE": True}, {**ABC, "null": 1}),
            ("files, a twin", {"QUELLEN": files, "JE_QUELLE": True}, {"a": 3, "a (2)": 3}),
        ]:
            with self.subTest(name):
                output = str(PROFILE / "tag.gpkg")  # each run replaces the one before
                feedback = Feedback()
                processing.run(ALGORITHM, {**parameters, "AUSGABE": output}, feedback=feedback)
                package = ogr.Open(output)
                counts = {layer.GetName(): layer.GetFeatureCount() for layer in package}
                self.assertEqual(counts, layers)
                if "ORDNER" in parameters:
                    self.assertEqual(feedback.said, said)

    def test_the_next_start_knows_bcr_in_its_file_filter(self):
        # QGIS sets the variables of its settings before it loads GDAL's drivers.
        settings = core.QgsSettings()
        self.assertTrue(settings.value("qgis/customEnvVarsUse", False, type=bool))
        entry = f"overwrite|GDAL_PYTHON_DRIVER_PATH|{COPY}"
        self.assertIn(entry, settings.value("qgis/customEnvVars", [], type=list))
        code = (
            "from qgis import core; a = core.QgsApplication([], False); a.initQgis(); "
            "print(core.QgsProviderRegistry.instance().fileVectorFilters())"
        )
        environment = {**os.environ, "GDAL_PYTHON_DRIVER_PATH": str(COPY)}
        done = subprocess.run([sys.executable, "-c", code], env=environment, capture_output=True)
        self.assertIn(b"*.bcr", done.stdout)


if __name__ == "__main__":
    result = unittest.main(argv=sys.argv[:1] + sys.argv[5:], exit=False).result
    core.QgsProject.instance().clear()
    application.exitQgis()
    sys.exit(not result.wasSuccessful())
