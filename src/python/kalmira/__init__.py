"""KALMIRA's conversion of survey sources (.bcr) in Python, over the library's C interface.

    >>> conversion = kalmira.convert("messung.bcr")
    >>> conversion.points[0].longitude, conversion.hints, conversion.target_name

The library (libkalmira.so.1, kalmira.dll) lies beside this file; where it does not, the one the
system has installed is used.
"""

import codecs
import ctypes
import os
import pathlib
import sys
from dataclasses import dataclass

__all__ = ["Conversion", "Hint", "NoSourceError", "Point", "convert", "library_version"]

_HERE = pathlib.Path(__file__).resolve().parent
_LIBRARY_NAME = "kalmira.dll" if sys.platform == "win32" else "libkalmira.so.1"
_CONVERTED, _NO_SOURCE = 0, 1

# Windows-1252 leaves five bytes unassigned; Windows reads each as the character of its number,
# and so does the target's every reader.
codecs.register_error("kalmira-windows1252", lambda e: (chr(e.object[e.start]), e.start + 1))


class _Point(ctypes.Structure):
    _fields_ = [
        ("longitude", ctypes.c_double),
        ("latitude", ctypes.c_double),
        ("target_longitude", ctypes.c_char_p),
        ("target_latitude", ctypes.c_char_p),
        ("pieces", ctypes.POINTER(ctypes.c_char) * 3),
        ("piece_sizes", ctypes.c_size_t * 3),
        ("number", ctypes.c_int),
        ("on_map", ctypes.c_int),
    ]


_READ = ctypes.CFUNCTYPE(
    ctypes.c_longlong, ctypes.c_void_p, ctypes.POINTER(ctypes.c_char), ctypes.c_size_t
)


def _load():
    # Windows loads a DLL that Python names only by its full path.
    beside = _HERE / _LIBRARY_NAME
    library = ctypes.CDLL(str(beside) if beside.exists() else _LIBRARY_NAME)
    conversion = ctypes.c_void_p
    for name, result, arguments in [
        ("kalmira_version", ctypes.c_char_p, []),
        ("kalmira_convert", conversion, [ctypes.c_char_p, ctypes.c_char_p, ctypes.c_size_t]),
        (
            "kalmira_convert_read",
            conversion,
            [ctypes.c_char_p, _READ, ctypes.c_void_p, ctypes.c_longlong],
        ),
        ("kalmira_free", None, [conversion]),
        ("kalmira_outcome", ctypes.c_int, [conversion]),
        ("kalmira_message", ctypes.c_char_p, [conversion]),
        ("kalmira_target_name", ctypes.c_char_p, [conversion]),
        ("kalmira_target", ctypes.c_void_p, [conversion, ctypes.POINTER(ctypes.c_size_t)]),
        ("kalmira_point_count", ctypes.c_size_t, [conversion]),
        ("kalmira_get_point", ctypes.c_int, [conversion, ctypes.c_size_t, ctypes.POINTER(_Point)]),
        ("kalmira_descriptions_in_utf8", ctypes.c_int, [conversion]),
        ("kalmira_hint_count", ctypes.c_size_t, [conversion]),
        ("kalmira_hint_code", ctypes.c_int, [conversion, ctypes.c_size_t]),
        ("kalmira_hint_text", ctypes.c_char_p, [conversion, ctypes.c_size_t]),
    ]:
        function = getattr(library, name)
        function.restype, function.argtypes = result, arguments
    return library


_library = _load()


def library_version():
    """The version of the library in use, "1.0"."""
    return _library.kalmira_version().decode("ascii")


@dataclass(frozen=True)
class Point:
    """A point of the target, numbered from 1 in its order. Longitude and latitude are degrees
    in WGS 84 as the conversion gives them, before the target rounds them to single precision
    and eight decimals (`target_longitude`, `target_latitude`); off the map (`on_map` false)
    they are not places at all."""

    number: int
    longitude: float
    latitude: float
    on_map: bool
    description1: str
    description2: str
    description3: str
    target_longitude: str
    target_latitude: str


@dataclass(frozen=True)
class Hint:
    """Something doubtful about a source: its code (`kalmira.h`'s KALMIRA_HINT_*, kept from
    version to version) and what the converter says of it, in German."""

    code: int
    text: str


@dataclass(frozen=True)
class Conversion:
    """A source converted: its points, the hints about it, and its target (the .asc file's name
    and bytes)."""

    points: list
    hints: list
    target_name: str
    target: bytes
    descriptions_in_utf8: bool


class NoSourceError(ValueError):
    """A file that has neither [COORDINATES] nor [DESCRIPTION]; its text says so in German."""


def convert(source, name=None):
    """Converts a source: its bytes, a binary file open for reading, or a path (str or
    os.PathLike). `name` is the file name the target is named after and messages quote; it
    defaults to the path, else to "quelle.bcr". Raises NoSourceError for a file that is no
    source, and OSError where it cannot be read to its end."""
    if isinstance(source, (bytes, bytearray, memoryview)):
        data = bytes(source)
        return _converted(_library.kalmira_convert(_encoded(name), data, len(data)))
    if hasattr(source, "read"):
        return _converted(_convert_read(_encoded(name), source, -1))
    with open(source, "rb") as file:
        size = os.fstat(file.fileno()).st_size
        return _converted(_convert_read(_encoded(source if name is None else name), file, size))


def _encoded(name):
    return os.fsencode("quelle.bcr" if name is None else name)


def _convert_read(encoded_name, file, size):
    def read(_, buffer, capacity):
        # An exception must not leave here: ctypes would take it for the source's end.
        try:
            data = bytes(file.read(capacity))
            ctypes.memmove(buffer, data, len(data))
            return len(data)
        except Exception:
            return -1

    return _library.kalmira_convert_read(encoded_name, _READ(read), None, size)


def _converted(handle):
    if not handle:
        raise MemoryError("KALMIRA: no memory for the conversion")
    try:
        outcome = _library.kalmira_outcome(handle)
        if outcome != _CONVERTED:
            message = _library.kalmira_message(handle).decode("utf-8", "replace")
            raise NoSourceError(message) if outcome == _NO_SOURCE else OSError(message)
        return _conversion_of(handle)
    finally:
        _library.kalmira_free(handle)


def _conversion_of(handle):
    utf8 = bool(_library.kalmira_descriptions_in_utf8(handle))
    size = ctypes.c_size_t()
    target = _library.kalmira_target(handle, ctypes.byref(size))
    return Conversion(
        points=[_point_of(handle, i, utf8) for i in range(_library.kalmira_point_count(handle))],
        hints=[
            Hint(
                _library.kalmira_hint_code(handle, i),
                _library.kalmira_hint_text(handle, i).decode(),
            )
            for i in range(_library.kalmira_hint_count(handle))
        ],
        target_name=os.fsdecode(_library.kalmira_target_name(handle)),
        target=ctypes.string_at(target, size.value),
        descriptions_in_utf8=utf8,
    )


def _point_of(handle, index, utf8):
    point = _Point()
    _library.kalmira_get_point(handle, index, ctypes.byref(point))
    pieces = [ctypes.string_at(point.pieces[i], point.piece_sizes[i]) for i in range(3)]
    return Point(
        point.number,
        point.longitude,
        point.latitude,
        bool(point.on_map),
        *[p.decode("utf-8", "replace") if utf8 else _windows1252(p) for p in pieces],
        point.target_longitude.decode("ascii"),
        point.target_latitude.decode("ascii"),
    )


def _windows1252(piece):
    return piece.decode("cp1252", "kalmira-windows1252")
