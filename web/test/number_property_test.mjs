// The WebAssembly build converts numbers as the native build does: the texts of the number case
// table and a million random number texts, each through both builds of tests/number_check.cpp
// (the double's bits, and the longitude and latitude printed for it), compared line by line.
import { test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { closeSync, openSync, readFileSync, writeFileSync } from "node:fs";
import { fileURLToPath } from "node:url";
import { WASI } from "node:wasi";
import { readCases } from "./cases.mjs";
import { randomNumbers } from "./random.mjs";

const build = new URL("../../build/", import.meta.url);
const native = fileURLToPath(new URL("release/tests/kalmira_number_check", build));
const wasm = new URL("wasm-tests/tests/kalmira_number_check.wasm", build);
// The texts and the WebAssembly build's results, kept in the build folder for a look after a failure.
const [input, output] = ["texts", "wasm-results"].map((name) => fileURLToPath(new URL(`wasm-tests/${name}`, build)));

// Texts as a sign, a body and a tail: decimal (three times as often as the others), hexadecimal
// with a binary exponent, the words in any case, or near the coordinates the files hold.
function randomTexts(count, seed) {
  const next = randomNumbers(seed);
  const pick = (choices) => choices[next(choices.length)];
  const digits = (alphabet, most) => Array.from({ length: next(most + 1) }, () => pick(alphabet)).join("");
  const [decimal, hexadecimal] = ["0123456789", "0123456789abcdefABCDEF"];
  const exponent = (marks, signs, most) => (next(2) ? pick(marks) + pick(signs) + digits(decimal, most) : "");
  const mantissa = (alphabet, most, points, fraction) =>
    digits(alphabet, most) + pick(points) + digits(alphabet, fraction);
  const decimalText = () =>
    mantissa(decimal, next(4) ? 12 : 40, ["", ".", "."], 20) + exponent("eE", ["", "+", "-", "+-"], next(5) ? 2 : 4);
  const hexadecimalText = () =>
    pick(["0x", "0X", "0x.", "0"]) + mantissa(hexadecimal, 18, ["", "."], 6) + exponent("pP", ["", "+", "-"], 4);
  const word = () =>
    [...pick(["inf", "infinity", "nan", "nan(1)", "in", "infinit", "na"])].map((c) => (next(2) ? c.toUpperCase() : c));
  const nearCoordinates = () => `${next(40000000)}.${digits(decimal, 8)}`;
  const bodies = [decimalText, decimalText, decimalText, hexadecimalText, () => word().join(""), nearCoordinates];
  const signs = ["", "", " ", "\t", "+", "-", "--", "+-", " -"];
  const tails = ["", "", ",", "x", ".5", "e", " 1"];
  return Array.from({ length: count }, () => pick(signs) + pick(bodies)() + pick(tails));
}

async function runWasm(input, output) {
  const stdin = openSync(input, "r");
  const stdout = openSync(output, "w");
  const wasi = new WASI({ version: "preview1", args: [], env: {}, stdin, stdout });
  const { instance } = await WebAssembly.instantiate(readFileSync(wasm), { wasi_snapshot_preview1: wasi.wasiImport });
  wasi.start(instance);
  closeSync(stdin);
  closeSync(stdout);
}

test("WebAssembly and native builds convert every number text alike", async () => {
  const table = readCases("numbers.txt").flatMap(([, [text]]) => (text.includes("\n") ? [] : [text])); // a text a line
  const texts = [...table, ...randomTexts(1000000, 20261206)];
  writeFileSync(input, Buffer.from(texts.join("\n") + "\n", "latin1"));
  const expected = String(execFileSync(native, { input: readFileSync(input), maxBuffer: 1 << 30 })).split("\n");
  await runWasm(input, output);
  const actual = readFileSync(output).toString().split("\n");
  assert.equal(actual.length, expected.length);
  const differing = actual.findIndex((line, i) => line !== expected[i]);
  const text = JSON.stringify(texts[differing]);
  assert.equal(differing, -1, `text ${text}: native ${expected[differing]}, WebAssembly ${actual[differing]}`);
  console.log(`${table.length} table texts and ${texts.length - table.length} random texts alike`);
});
