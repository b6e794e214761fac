// The case tables under tests/cases, read by their one reader: the native test build's
// kalmira_case_export prints them as JSON, each byte a character U+0000 to U+00FF. And what the
// console program makes of a source, which the page must make of it too.
import { execFileSync, spawnSync } from "node:child_process";
import { mkdirSync, readFileSync, writeFileSync } from "node:fs";
import { fileURLToPath } from "node:url";
import { fileName } from "../targets.js";

const build = (path) => fileURLToPath(new URL(`../../build/${path}`, import.meta.url));
// The cases of a table: [line number, fields] each; for "conversions", the end-to-end runs that
// convert one source.
export const readCases = (table) =>
  JSON.parse(execFileSync(build("release/tests/kalmira_case_export"), [table], { maxBuffer: 1 << 28 }));

export const bytes = (text) => Buffer.from(text, "latin1");

// Those runs: the source's file name and bytes, and the target's file name where the console
// program named it itself.
export const conversionCases = () =>
  readCases("conversions").map(([name, sourceName, source, targetName, , named]) => {
    const target = named ? undefined : fileName(targetName);
    return { name, source: fileName(sourceName), bytes: bytes(source), target };
  });

// What the page must make of a source: the console program's target and hints (Node's
// TextDecoder reads "windows-1252" as Latin-1; iconv knows the code page), and the page's own
// word on descriptions in UTF-8; no target for a file the C interface finds no source.
const [NO_SOURCE, IN_UTF8] = [1, 18]; // an outcome, a hint's code (kalmira.h)
export function expected(source) {
  const folder = build("web-test/console");
  mkdirSync(folder, { recursive: true });
  writeFileSync(`${folder}/quelle.bcr`, source);
  const { stderr } = spawnSync(build("release/kalmira"), ["quelle.bcr", "ziel.asc"], { cwd: folder, input: "" });
  const text = String(execFileSync("iconv", ["-f", "CP1252", "-t", "UTF-8"], { input: stderr }));
  const hints = text.split("\r\n").flatMap((line) => (line ? [line.replace(/^Hinweis: /, "")] : []));
  const convert = build("release/tests/kalmira_library_convert");
  const asked = spawnSync(convert, ["quelle.bcr", "ziel.library"], { cwd: folder });
  const codes = [...String(asked.stdout).matchAll(/^(\d+) /gm)].map(([, code]) => Number(code));
  if (codes.includes(IN_UTF8)) hints.push("Tabelle, Karte und Exporte zeigen die Beschreibungen als UTF-8.");
  return { target: asked.status === NO_SOURCE ? undefined : readFileSync(`${folder}/ziel.asc`), hints };
}

// Each point's longitude and latitude texts, as the console program's target for `source` gives them.
export const targetPlaces = (source) =>
  [...String(expected(source).target).matchAll(/^(.*?), (.*?), /gm)].map((match) => match.slice(1, 3));

// A source of `mebibytes` of lines the converter skips, or (`line`) with one description piece of
// that size, the sections in the middle.
export function largeSource(mebibytes, line = false) {
  const filler = "REMARK=measured in the field, nothing the converter reads here 0123456789\r\n";
  const half = line ? "" : filler.repeat((mebibytes << 19) / filler.length);
  const piece = line ? "x".repeat(mebibytes << 20) : "a";
  return `${half}[COORDINATES]\r\nP1=1487533.05,6886305.18\r\n[DESCRIPTION]\r\nP1=${piece},b,c\r\n[END]\r\n${half}`;
}

// The files a ZIP holds, each name with its bytes, as libarchive's bsdtar reads them.
export function unzipped(zip) {
  const env = { ...process.env, LC_ALL: "C.UTF-8" }; // a locale that holds the names
  const unpack = (option, ...names) => execFileSync("bsdtar", [option, zip, ...names], { env });
  const names = String(unpack("-tf")).trim().split("\n");
  return Object.fromEntries(names.map((name) => [name, unpack("-xOf", name)]));
}
