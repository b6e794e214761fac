// The case tables under tests/cases, read by their one reader: the native test build's
// kalmira_case_export prints them as JSON, each byte a character U+0000 to U+00FF.
import { execFileSync } from "node:child_process";
import { readFileSync } from "node:fs";

const exporter = new URL("../../build/release/tests/kalmira_case_export", import.meta.url).pathname;
const exported = (table) => JSON.parse(execFileSync(exporter, [table], { maxBuffer: 1 << 28 }));

export const bytes = (text) => Buffer.from(text, "latin1");

// The cases of a table: [line number, fields] each.
export const readCases = (table) => exported(table);

// The whole runs of the converter that cases/end_to_end.txt describes.
export const readEndToEndCases = () => exported("runs");

// A file under tests/cases as it is (a source or a target).
export const readCaseFile = (name) => readFileSync(new URL(`../../tests/cases/${name}`, import.meta.url));
