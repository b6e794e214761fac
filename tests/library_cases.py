"""Every end-to-end case converted through the C interface by a loader, tests/library_convert.c
as built for a platform and run as given (under Wine, say): each gives the console program's
target, a file that is no source none.
Usage: library_cases.py CASE_EXPORT FOLDER LOADER [ARGUMENT...]"""
import pathlib
import subprocess
import sys

from case_runs import one_source_runs

export, folder, *loader = sys.argv[1:]
source, target = pathlib.Path(folder) / "quelle.bcr", pathlib.Path(folder) / "quelle.asc"
runs = list(one_source_runs(export))
for run in runs:
    source.write_bytes(run.source)
    target.unlink(missing_ok=True)
    # Names in the folder, so that no path has to be translated for the loader.
    done = subprocess.run([*loader, source.name, target.name], cwd=folder, capture_output=True)
    written = target.read_bytes() if target.exists() else b""
    if done.returncode not in (0, 1) or written != run.target:
        sys.exit(f"{run.case}: status {done.returncode}, target {written!r}, not {run.target!r}")
print(f"{len(runs)} end-to-end cases, each the console program's target")
