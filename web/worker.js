// The conversion, away from the page: runs the converter's core (kalmira.wasm) on the file,
// handing it the file block by block, so that a large file neither fills the memory nor stops
// the page. Gets a File; answers with progress messages and one result.
const BLOCK = 16 << 20;
const module = WebAssembly.compileStreaming(fetch("kalmira.wasm"));
const windows1252 = new TextDecoder("windows-1252");
const utf8 = new TextEncoder();

async function convert(file) {
  const compiled = await module;
  let memory = null;
  const bytes = () => new Uint8Array(memory.buffer);
  const reader = new FileReaderSync();
  let block = new Uint8Array(0);
  let used = 0;
  let offset = 0;
  const target = [];
  const { exports } = await WebAssembly.instantiate(compiled, {
    kalmira: {
      read_source(address, capacity) {
        try {
          if (used === block.length) {
            if (offset >= file.size) return 0;
            block = new Uint8Array(reader.readAsArrayBuffer(file.slice(offset, offset + BLOCK)));
            used = 0;
            offset += block.length;
            if (block.length === 0) return 0;  // the file became shorter while it was read
            postMessage({ progress: offset / file.size });
          }
          const length = Math.min(capacity, block.length - used);
          bytes().set(block.subarray(used, used + length), address);
          used += length;
          return length;
        } catch {
          return -1;
        }
      },
      write_target(address, length) {
        target.push(bytes().slice(address, address + length));
      },
    },
  });
  memory = exports.memory;
  exports._initialize();

  const text = (address) => bytes().slice(address, address + exports.text_length());
  const name = utf8.encode(file.name);
  bytes().set(name, exports.text_buffer(name.length));
  const targetName = new TextDecoder().decode(text(exports.target_name()));

  const count = exports.convert();
  if (count < 0) return { error: true };
  const points = [];
  for (let index = 0; index < count; ++index) {
    const [longitude, latitude, ...pieces] = [0, 1, 2, 3, 4].map(
      (which) => windows1252.decode(text(exports.point_text(index, which))));
    points.push({ longitude, latitude, pieces: pieces.map((piece) => piece.replace(/,$/, "")) });
  }
  return { targetName, target: new Blob(target), points };
}

onmessage = async ({ data: file }) => {
  let result;
  try {
    result = await convert(file);
  } catch {
    result = { error: true };  // the core ran out of memory, or the module could not be loaded
  }
  postMessage({ result });
};
