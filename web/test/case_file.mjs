// Reads the case tables under tests/cases, with their escapes: \n \r \t \0 \\ \xHH and
// \{N:text} for N copies of text; "" stands for an empty field.
import { readFileSync } from "node:fs";

export const caseDirectory = new URL("../../tests/cases/", import.meta.url);

export function unescape(field) {
  if (field === '""') return Buffer.alloc(0);
  const bytes = [];
  const codes = { n: 10, r: 13, t: 9, 0: 0, "\\": 92 };
  for (let i = 0; i < field.length; ++i) {
    const code = field[i] === "\\" && i + 1 < field.length ? field[++i] : null;
    if (code === "x") {
      bytes.push(parseInt(field.slice(i + 1, i + 3), 16));
      i += 2;
    } else if (code === "{") {
      const colon = field.indexOf(":", i);
      const close = field.indexOf("}", colon);
      const copy = unescape(field.slice(colon + 1, close));
      for (let n = Number(field.slice(i + 1, colon)); n > 0; --n) bytes.push(...copy);
      i = close;
    } else if (code === null) {
      bytes.push(...Buffer.from(field[i], "latin1"));
    } else if (code in codes) {
      bytes.push(codes[code]);
    } else {
      throw new Error(`unknown escape in ${field}`);
    }
  }
  return Buffer.from(bytes);
}

export function readCaseFile(name) {
  return readFileSync(new URL(name, caseDirectory));
}

// A value of the end-to-end table: "@name" is a case file, anything else escaped bytes.
export function bytesOf(value) {
  return value.startsWith("@") ? readCaseFile(value.slice(1)) : unescape(value);
}
