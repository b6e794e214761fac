// The sources the user gives the page: files chosen in the pickers or dropped, and the .bcr files
// of chosen or dropped folders, also in their subfolders. Each is { file, path }, the path
// relative to what was chosen ("messungen/montag/a.bcr"), or only { path } for a dropped folder
// the browser will not open (Chromium opens none in a page loaded from disk). They come
// sorted by path, as a person reads a folder, so that the order does not depend on the browser.

const isSource = (name) => /\.bcr$/i.test(name);
const byPath = new Intl.Collator("de", { numeric: true });
const sorted = (sources) => sources.sort((a, b) => byPath.compare(a.path, b.path));

// The files of a picker: a folder picker gives every file of the folder, so only its sources.
export function chosenSources(input) {
  return sorted(
    [...input.files]
      .filter((file) => !file.webkitRelativePath || isSource(file.name))
      .map((file) => ({ file, path: file.webkitRelativePath || file.name })),
  );
}

const fileOf = (entry) => new Promise((resolve, reject) => entry.file(resolve, reject));
const entriesOf = (reader) => new Promise((resolve, reject) => reader.readEntries(resolve, reject));

// The sources under a dropped folder, read all at once; readEntries gives a folder's entries in
// batches. `foundOne()` is called for each source as it is found; the reading stops when `signal`
// says the choice has ended.
async function folderSources(folder, signal, foundOne) {
  const entries = [];
  const reader = folder.createReader();
  for (let batch = await entriesOf(reader); batch.length > 0; batch = await entriesOf(reader)) {
    signal.throwIfAborted();
    entries.push(...batch);
  }
  const sources = entries.filter((entry) => entry.isFile && isSource(entry.name));
  const folders = entries.filter((entry) => entry.isDirectory);
  const read = async (entry) => {
    const file = await fileOf(entry);
    foundOne();
    return file;
  };
  const [files, nested] = await Promise.all([
    Promise.all(sources.map(read)),
    Promise.all(folders.map((entry) => folderSources(entry, signal, foundOne))),
  ]);
  signal.throwIfAborted();
  return [...files.map((file, i) => ({ file, path: sources[i].fullPath.slice(1) })), ...nested.flat()];
}

// The sources dropped: files, and the sources in folders and their subfolders. `found(count)` is
// told how many sources the folders gave so far; a choice that ended (`signal`) throws.
export async function droppedSources(dataTransfer, signal, found) {
  // The entries are taken before the first wait: the drop's data is gone after it.
  const dropped = [...dataTransfer.items]
    .filter((item) => item.kind === "file")
    .map((item) => [item.webkitGetAsEntry?.(), item.getAsFile()]);
  const sources = [];
  let count = 0;
  const foundOne = () => found(++count);
  for (const [entry, file] of dropped) {
    if (!entry?.isDirectory) {
      if (file) sources.push({ file, path: file.name });
      continue;
    }
    try {
      sources.push(...(await folderSources(entry, signal, foundOne)));
    } catch (error) {
      if (signal.aborted) throw error;
      sources.push({ path: entry.name }); // a folder the browser will not open
    }
  }
  return sorted(sources);
}
