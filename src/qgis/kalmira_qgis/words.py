"""The plugin's words, in German and in English: German where QGIS speaks German."""

from qgis.core import QgsApplication

_WORDS = {
    "algorithm": ("Quelldateien umrechnen", "Convert source files"),
    "algorithm_help": (
        "Rechnet Quelldateien (.bcr) in Punkte in WGS 84 um, wie der KALMIRA-Konverter, und "
        "schreibt sie in ein GeoPackage: alle in eine Ebene „punkte“ (mit der Quelldatei im "
        "Feld „quelle“) oder eine Ebene je Quelldatei. Die Hinweise zu jeder Quelldatei stehen "
        "im Protokoll.",
        "Converts survey sources (.bcr) into points in WGS 84, as the KALMIRA converter does, "
        'and writes them into a GeoPackage: all into one layer "punkte" (with the source file '
        'in the field "quelle") or one layer per source. The hints about each source are '
        "logged.",
    ),
    "sources": ("Quelldateien", "Source files"),
    "folder": ("Oder alle Quelldateien eines Ordners", "Or every source file of a folder"),
    "per_source": ("Eine Ebene je Quelldatei", "One layer per source file"),
    "output": ("GeoPackage", "GeoPackage"),
    "no_sources": ("Keine Quelldatei angegeben.", "No source file given."),
    "none_converted": ("Keine Quelldatei umgerechnet.", "No source file converted."),
    "not_written": ("„{path}“ lässt sich nicht schreiben.", '"{path}" cannot be written.'),
    "points": ("{name}: {count} Punkte", "{name}: {count} points"),
    "hints": ("{count} Hinweise, siehe Protokoll", "{count} hints, see the log"),
    "restart": (
        "KALMIRA: .bcr-Dateien stehen nach dem nächsten Start von QGIS auch im Dateifilter "
        "und im Browser.",
        "KALMIRA: .bcr files show in the file filter and the Browser after QGIS's next start.",
    ),
    "environment_on": (
        "KALMIRA hat die eigenen Umgebungsvariablen von QGIS eingeschaltet (Einstellungen › "
        "Optionen › System › Umgebung), um GDAL_PYTHON_DRIVER_PATH zu setzen.",
        "KALMIRA switched QGIS's own environment variables on (Settings › Options › System › "
        "Environment) to set GDAL_PYTHON_DRIVER_PATH.",
    ),
}


def word(key, **values):
    german, english = _WORDS[key]
    return (german if QgsApplication.locale().startswith("de") else english).format(**values)
