"""Zips folders as a release has them: entries sorted, each with the same time, no extra fields,
so that the same files give the same bytes.
Usage: pack.py ZIP SOURCE_DATE_EPOCH FOLDER [FOLDER...] (each folder under its own name)"""

import pathlib
import sys
import time
import zipfile

archive, epoch, *folders = sys.argv[1:]
stamp = time.gmtime(max(int(epoch), 315532800))[:6]  # a ZIP's times start in 1980
with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as package:
    for folder in map(pathlib.Path, folders):
        for path in sorted(
            p for p in folder.rglob("*") if p.is_file() and "__pycache__" not in p.parts
        ):
            entry = zipfile.ZipInfo(str(folder.name / path.relative_to(folder)), stamp)
            entry.external_attr = 0o644 << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            package.writestr(entry, path.read_bytes())
