// The conversion, away from the page: runs the converter's core on each source in turn, one
// instance of it for many sources, handing it each file as it is read, so that large files
// neither fill the memory nor stop the page. Gets { convert: [{ file, path }] } and answers with
// progress messages (files done, bytes read of all) and, at the end, one result for each source.
// Where the engine lets no worker read a file (a page opened from disk, in WebKit), it asks the
// page for each block with { read: { id, index, start, end } } and gets { answer: { id, bytes } }.
// The page starts it from a blob, so that the page's Content-Security-Policy binds it too; the
// core comes inside it (KALMIRA_CORE, the module's bytes in base64, set when the page is built),
// so it needs no request at all. The core is the C interface (kalmira.h) in WebAssembly.
import { nameTargets } from "./targets.js";

const BLOCK = 16 << 20;
// Where a file is read slice by slice, each slice waits for the garbage collector: kept small.
const SLICE = 4 << 20;
// What tables and popups show of a description piece; the target and the exports keep it whole.
const SHOWN = 200;
// A core whose memory grew beyond this, for a large source, is not kept for the next one.
const KEPT_MEMORY = 64 << 20;
const module = WebAssembly.compile(Uint8Array.from(atob(KALMIRA_CORE), (c) => c.charCodeAt(0)));
const windows1252 = new TextDecoder("windows-1252");
const utf8 = new TextDecoder();
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
  let size = 0;
  const keep = (bytes) => parts.push(inBlobs ? new Blob([bytes]) : bytes.slice());
  const flush = () => {
    if (used > 0) keep(chunk.subarray(0, used));
    used = 0;
  };
  return {
    // Adds `bytes`; gives where they lie among all, [start, end].
    add(bytes) {
      size += bytes.length;
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
      return [size - bytes.length, size];
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
// What kalmira_outcome says of a source (kalmira.h), and the size of a kalmira_point.
const [CONVERTED, NO_SOURCE] = [0, 1];
const POINT_SIZE = 56;

// The core's texts: a NUL-terminated one it gives, and one handed in (freed by `free`); a
// sentence the page's glue makes of names.
function textsOf(exports, bytes) {
  const text = (address) => utf8.decode(bytes(address, bytes(address).indexOf(0)));
  const handIn = (string) => {
    const encoded = encoder.encode(`${string}\0`);
    const address = exports.malloc(encoded.length);
    bytes(address, encoded.length).set(encoded);
    return address;
  };
  const sentence = (glue, ...names) => {
    const inputs = names.map(handIn);
    const address = glue(...inputs);
    const made = text(address);
    [address, ...inputs].forEach((input) => exports.free(input));
    return made;
  };
  return { text, handIn, sentence };
}

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
  const view = () => new DataView(exports.memory.buffer);
  // Converts, waiting wherever the core waits for a block; gives the conversion's handle.
  const convert = async (name, size) => {
    for (;;) {
      const conversion = exports.kalmira_convert_read(name, exports.page_reader(), 0, BigInt(size));
      if (exports.asyncify_get_state() !== UNWINDING) return conversion;
      exports.asyncify_stop_unwind();
      given = await waiting;
      exports.asyncify_start_rewind(room);
    }
  };
  return { exports, bytes, view, convert, ...textsOf(exports, bytes) };
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

// Point `index` of a conversion as kalmira_get_point gives it, at `address`: the target's
// places, the conversion's, whether it is on the map, the pieces whole (into `pieces`, with their
// places there) and as tables show them.
function pointOf(conversion, index, address, pieces, decoder) {
  const { exports, bytes, view, text } = core;
  exports.kalmira_get_point(conversion, index, address);
  const field = (offset) => view().getUint32(address + offset, true);
  const point = {
    longitude: text(field(16)),
    latitude: text(field(20)),
    exact: [view().getFloat64(address, true), view().getFloat64(address + 8, true)],
    onMap: view().getInt32(address + 52, true) === 1,
    pieces: [],
    whole: [],
  };
  for (const piece of [0, 1, 2]) {
    const whole = bytes(field(24 + 4 * piece), field(36 + 4 * piece));
    point.whole.push(pieces.add(whole));
    point.pieces.push(shown(decoder, whole));
  }
  return point;
}

// What the core found in a conversion: its outcome, message and hints, its target's name and
// bytes (a Blob or an array), its points.
function resultOf(conversion, inBlobs) {
  const { exports, text } = core;
  const outcome = exports.kalmira_outcome(conversion);
  const hints = Array.from({ length: exports.kalmira_hint_count(conversion) }, (_, i) =>
    text(exports.kalmira_hint_text(conversion, i)),
  );
  if (outcome !== CONVERTED)
    return {
      error: outcome !== NO_SOURCE,
      noSource: outcome === NO_SOURCE,
      hints,
      message: text(exports.kalmira_message(conversion)),
    };
  const target = bytesOf(inBlobs);
  io.write = (address, length) => target.add(core.bytes(address, length));
  exports.kalmira_write_target(conversion, exports.page_writer(), 0);
  // The descriptions are shown as what the core finds them to be; the target keeps their bytes.
  const utf8 = exports.kalmira_descriptions_in_utf8(conversion) === 1;
  const pieces = bytesOf(inBlobs);
  const address = exports.malloc(POINT_SIZE);
  const points = Array.from({ length: exports.kalmira_point_count(conversion) }, (_, index) =>
    pointOf(conversion, index, address, pieces, utf8 ? new TextDecoder() : windows1252),
  );
  exports.free(address);
  const targetName = text(exports.kalmira_target_name(conversion));
  return { targetName, target: target.done(), points, hints, utf8, pieces: pieces.done() };
}

// Converts one source: its target's name and bytes, its points and hints.
async function convert(path, size, nextBlock, report, inBlobs) {
  core ??= await newCore();
  readInto(nextBlock, report);
  const name = core.handIn(path);
  const conversion = await core.convert(name, size);
  core.exports.free(name);
  try {
    return resultOf(conversion, inBlobs);
  } finally {
    core.exports.kalmira_free(conversion);
  }
}

// What the core says of a whole choice: why a target is renamed, and why a source whose
// conversion ended early gave none.
async function sayOnce(sources, results) {
  try {
    core ??= await newCore();
  } catch {
    return; // a module that cannot be loaded converted nothing either
  }
  const conversions = sources.map(({ path }, index) => ({ path, result: results[index] }));
  for (const { path, result } of conversions) {
    result.message ??= result.error ? core.sentence(core.exports.read_failure, path) : undefined;
  }
  const { exports, sentence } = core;
  nameTargets(conversions, {
    numbered: (name, n) => sentence((address) => exports.numbered_target(address, n), name),
    sentence: (...names) => sentence(exports.renamed_target, ...names),
  });
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

// Converts each source in turn; its targets are named, one name for each, when all are done.
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
      results.push({ error: true, hints: [] }); // the core ran out of memory, or could not be loaded
      core = null;
    }
    done += file.size;
  }
  await sayOnce(sources, results);
  // The arrays go to the page as they are, not copied.
  const arrays = results.flatMap(({ target, pieces }) => [target, pieces].filter((bytes) => bytes?.buffer));
  postMessage(
    { results },
    arrays.map((bytes) => bytes.buffer),
  );
}

// The page's answers to reads asked of it come while a conversion runs.
onmessage = async ({ data }) => {
  if (data.answer) return asked.get(data.answer.id)(data.answer.bytes);
  convertAll(data.convert);
};
