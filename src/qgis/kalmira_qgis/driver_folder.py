"""The GDAL driver's folder for the running QGIS and the next start.

QGIS loads the library from a copy in the profile, in a folder of the plugin's version: Windows
locks a loaded DLL, so that an update, which replaces the plugin's own folder, never meets it."""

import configparser
import os
import pathlib
import shutil
import sys
import tempfile

from osgeo import gdal
from qgis.core import QgsApplication, QgsSettings

_PLUGIN = pathlib.Path(__file__).resolve().parent
VARIABLE = "GDAL_PYTHON_DRIVER_PATH"


def version():
    metadata = configparser.ConfigParser()
    metadata.read(_PLUGIN / "metadata.txt", encoding="utf-8")
    return metadata["general"]["version"]


def copies():
    """The folder of the copies, one per version, in the profile."""
    return pathlib.Path(QgsApplication.qgisSettingsDirPath()) / "kalmira"


def installed():
    """The driver's folder for this version, copied there first where it is not yet; the copies
    of other versions are removed where no QGIS holds them. The binding is imported from it."""
    folder = copies() / version()
    if not folder.is_dir():
        # Copied whole or not at all: two QGIS starting at once each make their own and one wins.
        copies().mkdir(parents=True, exist_ok=True)
        staging = pathlib.Path(tempfile.mkdtemp(dir=copies(), prefix=".neu-"))
        shutil.copytree(_PLUGIN / "kalmira", staging / "kalmira")
        try:
            staging.rename(folder)
        except OSError:
            shutil.rmtree(staging, ignore_errors=True)
    for other in copies().iterdir():
        if other != folder and not other.name.startswith(".neu-"):
            _remove(other)
    if str(folder) not in sys.path:
        sys.path.insert(0, str(folder))
    return folder / "kalmira"


def _remove(copy):
    # Renamed first: a copy is there whole or not at all. Where a QGIS still holds its library,
    # Windows refuses, and the copy stays until a later start.
    try:
        gone = (
            copy
            if copy.name.startswith(".alt-")
            else copy.rename(copy.with_name(".alt-" + copy.name))
        )
    except OSError:
        return
    shutil.rmtree(gone, ignore_errors=True)


def _with(folder, paths):
    """The search path `paths` with `folder` first and no other copy of the driver."""
    others = [p for p in paths.split(os.pathsep) if p and not p.startswith(str(copies()))]
    return os.pathsep.join([str(folder), *others])


def register(folder):
    """Has GDAL in the running QGIS find the driver: opening and dropping files work at once."""
    gdal.SetConfigOption(VARIABLE, _with(folder, gdal.GetConfigOption(VARIABLE) or ""))
    gdal.AllRegister()


def remember(folder):
    """Sets the driver's folder in QGIS's own environment variables, which QGIS applies at its
    start before GDAL reads its drivers, so that the file filter and the Browser know .bcr.
    Returns whether QGIS's environment variables had to be switched on for it."""
    settings = QgsSettings()
    entries = settings.value("qgis/customEnvVars", [], type=list)
    kept = [e for e in entries if e.split("|")[1:2] != [VARIABLE]]
    given = [e.split("|", 2)[2] for e in entries if e.split("|")[1:2] == [VARIABLE]]
    kept.append(f"overwrite|{VARIABLE}|{_with(folder, ''.join(given[:1]))}")
    settings.setValue("qgis/customEnvVars", kept)
    switched_on = not settings.value("qgis/customEnvVarsUse", False, type=bool)
    settings.setValue("qgis/customEnvVarsUse", True)
    return switched_on
