// The conversion, away from the page: runs the converter's core on each source in turn, handing
// it the file block by block, so that large files neither fill the memory nor stop the page.
// Gets a list of sources ({ file, path }); answers with progress messages (sources done, bytes
// read of all) and, at the end, one result for each source. The page starts it from a blob, so that
// the page's Content-Security-Policy binds it too; the core comes inside it (KALMIRA_CORE, the
// module's bytes in base64, set when the page is built), so it needs no request at all.
const BLOCK = 16 << 20;
const module = WebAssembly.compile(Uint8Array.from(atob(KALMIRA_CORE), (c) => c.charCodeAt(0)));
const windows1252 = new TextDecoder("windows-1252");
const utf8 = new TextEncoder();

// Where the core can wait for a promise (JavaScript promise integration), the file is read as
// a stream into one reused buffer: the memory stays flat, whatever the file's size. Elsewhere
// FileReaderSync reads it, each block into a new buffer that waits for the garbage collector.
const canWait = typeof WebAssembly.Suspending === "function";

// The file's blocks: each call gives the next one (or a promise of it), null after the last.
function blocksOf(file) {
  if (canWait) {
    const stream = file.stream().getReader({ mode: "byob" });
    let buffer = new ArrayBuffer(BLOCK);
    return () =>
      stream.read(new Uint8Array(buffer)).then(({ done, value }) => {
        if (done) return null;
        buffer = value.buffer;
        return value;
      });
  }
  const reader = new FileReaderSync();
  let offset = 0;
  return () => {
    const block = new Uint8Array(reader.readAsArrayBuffer(file.slice(offset, offset + BLOCK)));
    offset += block.length;
    return block.length > 0 ? block : null; // a file that became shorter ends early
  };
}

// `report(bytes)` is told the bytes of the file read so far.
async function convert(file, path, report) {
  const compiled = await module;
  let memory = null;
  const bytes = () => new Uint8Array(memory.buffer);
  const nextBlock = blocksOf(file);
  let block = new Uint8Array(0);
  let used = 0;
  let read = 0;
  // Hands the core the next bytes of the current block; 0 after the last block.
  const take = (address, capacity) => {
    if (block === null) return 0;
    const length = Math.min(capacity, block.length - used);
    bytes().set(block.subarray(used, used + length), address);
    used += length;
    return length;
  };
  // Fills the core's buffer from the current block, or from the next one once it is there (at
  // once, or as a promise the core waits for); -1 when the file cannot be read.
  const readSource = (address, capacity) => {
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
  const targetPieces = [];
  const { exports } = await WebAssembly.instantiate(compiled, {
    kalmira: {
      read_source: canWait ? new WebAssembly.Suspending(readSource) : readSource,
      write_target(address, length) {
        targetPieces.push(bytes().slice(address, address + length));
      },
    },
  });
  memory = exports.memory;
  exports._initialize();

  const answer = (address) => bytes().subarray(address, address + exports.answer_length());
  const name = utf8.encode(path);
  bytes().set(name, exports.text_buffer(name.length));
  const targetName = new TextDecoder().decode(answer(exports.target_name()));

  const count = await (canWait ? WebAssembly.promising(exports.convert) : exports.convert)();
  if (count < 0) return { error: true };
  const hints = windows1252
    .decode(answer(exports.hints()))
    .split("\n")
    .filter((hint) => hint);
  // A file with neither section is no source: it gets no target, only its hints.
  if (exports.is_source() === 0) return { noSource: true, hints, points: [] };
  // The descriptions are shown as what the core finds them to be; the target keeps their bytes.
  const inUtf8 = exports.in_utf8() === 1;
  const pieceDecoder = inUtf8 ? new TextDecoder() : windows1252;
  const points = [];
  for (let index = 0; index < count; ++index) {
    const [longitude, latitude, ...pieces] = [0, 1, 2, 3, 4].map((which) =>
      (which < 2 ? windows1252 : pieceDecoder).decode(answer(exports.point_text(index, which))),
    );
    points.push({ longitude, latitude, pieces, onMap: exports.point_on_map(index) === 1 });
  }
  const target = new Uint8Array(await new Blob(targetPieces).arrayBuffer());
  return { targetName, target, points, hints, utf8: inUtf8 };
}

onmessage = async ({ data: sources }) => {
  const results = [];
  let done = 0;
  for (const { file, path } of sources) {
    const report = (read) => postMessage({ progress: { files: results.length, bytes: done + read } });
    try {
      results.push(await convert(file, path, report));
    } catch {
      results.push({ error: true }); // the core ran out of memory, or the module could not be loaded
    }
    done += file.size;
  }
  postMessage({ results });
};
