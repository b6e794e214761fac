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
    for run in cases(export, "runs"):
        if run["platform"] == "windows" or run["status"] != 0 or len(run["results"]) != 1:
            continue
        name = run["arguments"][0] if run["arguments"] else run["input"].split("\r\n")[0]
        [(target_name, target)] = run["results"]
        source = dict(run["files"])[name].encode("latin1")
        named = len(run["arguments"]) > 1
        yield Run(run["name"], name, source, target_name, target.encode("latin1"), named)
