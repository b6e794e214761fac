// The case tables under tests/cases, read by their one reader: the native test build's
// kalmira_case_export prints them as JSON, each byte a character U+0000 to U+00FF.
import { execFileSync } from "node:child_process";
import { fileURLToPath } from "node:url";
import { fileName } from "../targets.js";

const exporter = fileURLToPath(new URL("../../build/release/tests/kalmira_case_export", import.meta.url));
// The cases of a table: [line number, fields] each; for "runs", the end-to-end runs.
export const readCases = (table) => JSON.parse(execFileSync(exporter, [table], { maxBuffer: 1 << 28 }));

export const bytes = (text) => Buffer.from(text, "latin1");

// The runs of cases/end_to_end.txt in which the console program writes a target: the source's
// file name and bytes, the target's file name and bytes, and whether the console program named
// the target itself.
export const conversionCases = () => readCases("runs")
  .filter((c) => c.platform !== "windows" && c.status === 0 && c.results.length === 1)
  .map((c) => {
    const path = c.arguments[0] ?? c.input.split(/\r?\n/)[0];
    const [[targetPath, target]] = c.results;
    return { name: c.name, source: fileName(path), bytes: bytes(Object.fromEntries(c.files)[path]),
             target: fileName(targetPath), targetBytes: bytes(target), derived: c.arguments.length < 2 };
  });
