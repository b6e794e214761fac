// The conversion, away from the page: runs the converter's core on each source in turn, one
// instance of it for many sources, handing it each file as it is read, so that large files
// neither fill the memory nor stop the page. Gets { convert: [{ file, path }] } and answers with
// progress messages (files done, bytes read of all) and, at the end, one result for each source;
// gets { format, sources } and answers with that export of the sources' points as a Blob.
// Where the engine lets no worker read a file (a page opened from disk, in WebKit), it asks the
// page for each block with { read: { id, index, start, end } } and gets { answer: { id, bytes } }.
// The page starts it from a blob, so that the page's Content-Security-Policy binds it too; the
// core comes inside it (KALMIRA_CORE, the module's bytes in base64, set when the page is built),
// so it needs no request at all; so does the BeTA2007 grid for Gauß-Krüger (KALMIRA_BETA2007).
import { exported } from "./exports.js";
import { projector } from "./projection.js";
import { systemOf, WGS84 } from "./systems.js";
import { zipTargets } from "./targets.js";

const BLOCK = 16 << 20;
// Where a file is read slice by slice, each slice waits for the garbage collector: kept small.
const SLICE = 4 << 20;
// What tables and popups show of a description piece; the target and the exports keep it whole.
const SHOWN = 200;
// A core whose memory grew beyond this, for a large source, is not kept for the next one.
const KEPT_MEMORY = 64 << 20;
const module = WebAssembly.compile(Uint8Array.from(atob(KALMIRA_CORE), (c) => c.charCodeAt(0)));
const windows1252 = new TextDecoder("windows-1252");
const encoder = new TextEncoder();

// What this engine lets the worker do, tried once: read a Blob at all (a page opened from disk
// may not let its worker read any), and read one as a byte stream into a buffer of its own.
const canReadBlobs = new Blob([new Uint8Array(1)]).arrayBuffer().then(
  () => true,
  () => false,
);
const byteStreams = (() => {
  try {
    new Blob().stream().getReader({ mode: "byob" }).releaseLock();
    return true;
  } catch {
    return false;
  }
})();

// Bytes `start` to `end` of source `index`: read here, or, where the worker cannot read files,
// read by the page and handed over. Rejects when the file cannot be read.
const asked = new Map();
let lastAsked = 0;
async function bytesOfSource(file, index, start, end) {
  if (await canReadBlobs) return new Uint8Array(await file.slice(start, end).arrayBuffer());
  const id = ++lastAsked;
  const bytes = await new Promise((resolve) => {
    asked.set(id, resolve);
    postMessage({ read: { id, index, start, end } });
  });
  asked.delete(id);
  if (bytes === null) throw new Error("not readable");
  return new Uint8Array(bytes);
}

// The blocks of source `index`: each call gives a promise of the next one, null after the last.
// As a byte stream, the file is read into one reused buffer; otherwise block by block.
async function blocksOf(file, index) {
  if (byteStreams && (await canReadBlobs)) {
    const stream = file.stream().getReader({ mode: "byob" });
    let buffer = new ArrayBuffer(BLOCK);
    return () =>
      stream.read(new Uint8Array(buffer)).then(({ done, value }) => {
        if (done) return null;
        buffer = value.buffer;
        return value;
      });
  }
  let offset = 0;
  return async () => {
    const block = await bytesOfSource(file, index, offset, offset + SLICE);
    offset += block.length;
    return block.length > 0 ? block : null; // a file that became shorter ends early
  };
}

// Gathers bytes: a few in an array, more in a Blob, which the browser keeps outside the page's
// memory (but each costs it more than a small array's bytes); where the worker cannot read Blobs
// (an export reads them back), all in arrays.
function bytesOf(inBlobs) {
  const parts = [];
  let chunk = new Uint8Array(1 << 16);
  let used = 0;
  const keep = (bytes) => parts.push(inBlobs ? new Blob([bytes]) : bytes.slice());
  const flush = () => {
    if (used > 0) keep(chunk.subarray(0, used));
    used = 0;
  };
  return {
    add(bytes) {
      if (used + bytes.length > chunk.length && chunk.length < 1 << 20) {
        const grown = new Uint8Array(Math.min(Math.max(2 * chunk.length, used + bytes.length), 1 << 20));
        chunk = (grown.set(chunk.subarray(0, used)), grown);
      }
      if (used + bytes.length > chunk.length) flush();
      if (bytes.length > chunk.length) {
        for (let at = 0; at < bytes.length; at += 4 << 20) keep(bytes.subarray(at, at + (4 << 20)));
      } else {
        chunk.set(bytes, used);
        used += bytes.length;
      }
    },
    // The bytes as an array (to be transferred), or as a Blob when there are many.
    done() {
      if (parts.length === 0) return chunk.slice(0, used);
      flush();
      if (inBlobs) return new Blob(parts);
      const whole = new Uint8Array(parts.reduce((sum, part) => sum + part.length, 0));
      parts.reduce((at, part) => (whole.set(part, at), at + part.length), 0);
      return whole;
    },
  };
}

// The core, and what it reads and writes for the source at hand.
let core = null;
const io = { read: () => 0, write: () => {} };

// The states of a module built with asyncify: stopping to wait, and going on after it.
const [UNWINDING, REWINDING] = [1, 2];

async function newCore() {
  let exports;
  // While the core waits for a block: the promise of what `read_source` then gives, the room its
  // call stack is kept in, and at last what it gives.
  let [waiting, room, given] = [null, 0, 0];
  const read = (address, capacity) => {
    if (exports.asyncify_get_state() === REWINDING) {
      exports.asyncify_stop_rewind();
      return given;
    }
    const value = io.read(address, capacity);
    if (!(value instanceof Promise)) return value;
    waiting = value;
    room = exports.wait_room();
    exports.asyncify_start_unwind(room);
    return 0;
  };
  ({ exports } = await WebAssembly.instantiate(await module, {
    kalmira: { read_source: read, write_target: (address, length) => io.write(address, length) },
  }));
  exports._initialize();
  const bytes = (address, length) => new Uint8Array(exports.memory.buffer, address, length);
  // An answer is the address and the length of its bytes, found where the core says.
  const answer = (address) => bytes(...new Uint32Array(exports.memory.buffer, address, 2));
  // Converts, waiting wherever the core waits for a block.
  const convert = async (size) => {
    for (;;) {
      const count = exports.convert(size);
      if (exports.asyncify_get_state() !== UNWINDING) return count;
      exports.asyncify_stop_unwind();
      given = await waiting;
      exports.asyncify_start_rewind(room);
    }
  };
  return { exports, bytes, answer, convert };
}

// Has the core read the blocks that `nextBlock` gives; `report(bytes)` is told the bytes read so
// far. -1 when the file cannot be read.
function readInto(nextBlock, report) {
  let block = new Uint8Array(0);
  let used = 0;
  let read = 0;
  // Hands the core the next bytes of the current block; 0 after the last block.
  const take = (address, capacity) => {
    if (block === null) return 0;
    const length = Math.min(capacity, block.length - used);
    core.bytes(address, length).set(block.subarray(used, used + length));
    used += length;
    return length;
  };
  // Fills the core's buffer from the current block, or from the next one once it is there (at
  // once, or as a promise the core waits for).
  io.read = (address, capacity) => {
    if (block === null || used < block.length) return take(address, capacity);
    const takeFrom = (next) => {
      block = next;
      used = 0;
      read += next?.length ?? 0;
      report(read);
      return take(address, capacity);
    };
    try {
      const next = nextBlock();
      return next instanceof Promise ? next.then(takeFrom, () => -1) : takeFrom(next);
    } catch {
      return -1;
    }
  };
}

// A description piece as tables and popups show it: cut to SHOWN characters with "…".
function shown(decoder, bytes) {
  const text = decoder.decode(bytes.subarray(0, 4 * SHOWN + 4));
  return bytes.length > 4 * SHOWN + 4 || text.length > SHOWN ? `${text.slice(0, SHOWN)}…` : text;
}

// Converts one source: its target's name and bytes (a Blob), its points and hints.
async function convert(path, size, nextBlock, report, inBlobs) {
  core ??= await newCore();
  const name = encoder.encode(path);
  core.bytes(core.exports.input_buffer(name.length), name.length).set(name);
  const targetName = new TextDecoder().decode(core.answer(core.exports.target_name()));
  readInto(nextBlock, report);
  const target = bytesOf(inBlobs);
  io.write = (address, length) => target.add(core.bytes(address, length));
  const count = await core.convert(size);
  if (count < 0) return { error: true };
  const hints = windows1252.decode(core.answer(core.exports.hints())).split("\n").filter(Boolean);
  // A file with neither section is no source: it gets no target, only its hints.
  if (core.exports.is_source() === 0) return { noSource: true, hints };
  // The descriptions are shown as what the core finds them to be; the target keeps their bytes.
  const utf8 = core.exports.in_utf8() === 1;
  const decoder = utf8 ? new TextDecoder() : windows1252;
  // The pieces whole, for the exports: one Blob of them all, and each piece's place in it.
  const pieces = bytesOf(inBlobs);
  let end = 0;
  const points = Array.from({ length: count }, (_, index) => {
    const text = (which) => core.answer(core.exports.point_text(index, which));
    const [longitude, latitude] = [0, 1].map((which) => windows1252.decode(text(which)));
    const exact = [...new Float64Array(core.exports.memory.buffer, core.exports.point_place(index), 2)];
    const point = { longitude, latitude, exact, onMap: core.exports.point_on_map(index) === 1, pieces: [], whole: [] };
    for (const which of [2, 3, 4]) {
      const bytes = text(which);
      pieces.add(bytes);
      point.whole.push([end, (end += bytes.length)]);
      point.pieces.push(shown(decoder, bytes));
    }
    return point;
  });
  return {
    targetName,
    target: target.done(),
    points,
    hints,
    utf8,
    pieces: pieces.done(),
  };
}

// Small files are read ahead, many at a time: reading one costs the browser a round trip. Each
// gives its bytes as one block, or null when it cannot be read.
const AHEAD = 64;
function readAhead(sources) {
  const read = (index) => bytesOfSource(sources[index].file, index, 0, BLOCK).catch(() => null);
  const started = [];
  return async (index) => {
    for (let i = index; i < Math.min(index + AHEAD, sources.length); ++i) {
      if (sources[i].file.size <= BLOCK) started[i] ??= read(i);
    }
    if (!started[index]) return blocksOf(sources[index].file, index);
    const bytes = await started[index];
    started[index] = null;
    const blocks = [bytes, null];
    return () => {
      if (bytes === null) throw new Error("not readable");
      return blocks.shift();
    };
  };
}

async function convertAll(sources) {
  const results = [];
  const blocksAt = readAhead(sources);
  const inBlobs = await canReadBlobs;
  let done = 0;
  for (const [index, { file, path }] of sources.entries()) {
    const report = (read) => postMessage({ progress: { files: results.length, bytes: done + read } });
    try {
      results.push(await convert(path, file.size, await blocksAt(index), report, inBlobs));
      if (core.exports.memory.buffer.byteLength > KEPT_MEMORY) core = null;
    } catch {
      results.push({ error: true }); // the core ran out of memory, or the module could not be loaded
      core = null;
    }
    done += file.size;
  }
  // The arrays go to the page as they are, not copied.
  const arrays = results.flatMap(({ target, pieces }) => [target, pieces].filter((bytes) => bytes?.buffer));
  postMessage(
    { results },
    arrays.map((bytes) => bytes.buffer),
  );
}

const bytesIn = async (bytes) => (bytes instanceof Blob ? new Uint8Array(await bytes.arrayBuffer()) : bytes);

const grid = () => Uint8Array.from(atob(KALMIRA_BETA2007), (c) => c.charCodeAt(0)).buffer;

// The export of the sources' points ({ name, points, pieces, utf8 } each) in `format`, their
// pieces whole, a CSV or DXF in the system of EPSG code `code`; or, as "zip", their targets in
// one ZIP.
async function exportOf(format, sources, code) {
  if (format === "zip") {
    const targets = await Promise.all(
      sources.map(async ({ targetName, target }) => [targetName, await bytesIn(target)]),
    );
    return new Blob([zipTargets(targets)], { type: "application/zip" });
  }
  const whole = await Promise.all(
    sources.map(async ({ name, points, pieces, utf8 }) => {
      const bytes = await bytesIn(pieces);
      const decoder = utf8 ? new TextDecoder() : windows1252;
      const text = ([start, end]) => decoder.decode(bytes.subarray(start, end));
      return { name, points: points.map((point) => ({ ...point, pieces: point.whole.map(text) })) };
    }),
  );
  const system = systemOf(code);
  return exported(format, whole, system === WGS84 ? system : { ...system, project: projector(system, grid()) });
}

// The page's answers to reads asked of it come while a conversion runs.
onmessage = async ({ data }) => {
  if (data.answer) return asked.get(data.answer.id)(data.answer.bytes);
  if (data.convert) return convertAll(data.convert);
  postMessage({ blob: await exportOf(data.format, data.sources, data.system) });
};
