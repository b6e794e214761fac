"""The QGIS plugin KALMIRA: survey sources (.bcr) open in QGIS as layers of their points."""


def classFactory(iface):  # noqa: N802 (the name QGIS calls)
    from .plugin import KalmiraPlugin

    return KalmiraPlugin(iface)
