"""The plugin in QGIS: the driver registered, the Processing algorithm offered, and the hints
about each source that is added as a layer shown."""

import os

from qgis.core import Qgis, QgsApplication, QgsMessageLog, QgsProject, QgsProviderRegistry

from . import driver_folder
from .words import word

TAG = "KALMIRA"


def say(text, level=Qgis.Info):
    QgsMessageLog.logMessage(text, TAG, level)


class KalmiraPlugin:
    def __init__(self, iface):
        self.iface = iface
        self.folder = None
        self.provider = None

    def initProcessing(self):  # noqa: N802 (the names QGIS calls)
        # qgis_process calls this alone, QGIS's desktop initGui.
        self.folder = driver_folder.installed()
        if self.provider is None:
            from .algorithm import Provider

            self.provider = Provider()
            QgsApplication.processingRegistry().addProvider(self.provider)

    def initGui(self):  # noqa: N802
        self.initProcessing()
        driver_folder.register(self.folder)
        if driver_folder.remember(self.folder):
            say(word("environment_on"), Qgis.Warning)
        if os.environ.get(driver_folder.VARIABLE, "").split(os.pathsep)[:1] != [str(self.folder)]:
            say(word("restart"))
        QgsProject.instance().layersAdded.connect(self.show_hints)

    def unload(self):
        QgsProject.instance().layersAdded.disconnect(self.show_hints)
        QgsApplication.processingRegistry().removeProvider(self.provider)

    def show_hints(self, layers):
        import kalmira
        from kalmira.virtual_file import VirtualFile

        for layer in layers:
            provider = layer.dataProvider() if hasattr(layer, "dataProvider") else None
            if provider is None or provider.name() != "ogr" or provider.storageType() != TAG:
                continue
            path = QgsProviderRegistry.instance().decodeUri("ogr", layer.source())["path"]
            try:
                with VirtualFile(path) as file:
                    hints = kalmira.convert(file, path).hints
            except (OSError, ValueError):
                continue  # GDAL has said why it cannot open it
            for hint in hints:
                say(f"{layer.name()}: {hint.text}", Qgis.Warning)
            if hints:
                text = hints[0].text if len(hints) == 1 else word("hints", count=len(hints))
                self.iface.messageBar().pushMessage(TAG, f"{layer.name()}: {text}", Qgis.Warning)
