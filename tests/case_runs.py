"""The case tables for the harnesses in Python, read by the project's one reader
(kalmira_case_export); their byte strings come as Latin-1 text."""
import collections
import json
import subprocess


def cases(export, table):
    return json.loads(subprocess.run([export, table], check=True, capture_output=True).stdout)


# An end-to-end case that converts one source: the target the console program writes for it,
# empty for a file that is no source; `target_name` is derived from `source_name` unless
# `named_target` (the run names its target itself).
Run = collections.namedtuple("Run", "case source_name source target_name target named_target")


def one_source_runs(export):
    for case, source_name, source, target_name, target, named in cases(export, "conversions"):
        encoded = [source.encode("latin1"), target_name, target.encode("latin1")]
        yield Run(case, source_name, *encoded, named == "named")
