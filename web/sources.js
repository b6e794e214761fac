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

// The sources under a dropped folder; readEntries gives a folder's entries in batches.
async function folderSources(folder) {
  const sources = [];
  const reader = folder.createReader();
  for (let entries = await entriesOf(reader); entries.length > 0; entries = await entriesOf(reader)) {
    for (const entry of entries) {
      if (entry.isDirectory) sources.push(...(await folderSources(entry)));
      else if (isSource(entry.name)) sources.push({ file: await fileOf(entry), path: entry.fullPath.slice(1) });
    }
  }
  return sources;
}

export async function droppedSources(dataTransfer) {
  // The entries are taken before the first wait: the drop's data is gone after it.
  const dropped = [...dataTransfer.items]
    .filter((item) => item.kind === "file")
    .map((item) => [item.webkitGetAsEntry?.(), item.getAsFile()]);
  const sources = [];
  for (const [entry, file] of dropped) {
    if (!entry?.isDirectory) {
      if (file) sources.push({ file, path: file.name });
      continue;
    }
    try {
      sources.push(...(await folderSources(entry)));
    } catch {
      sources.push({ path: entry.name });
    }
  }
  return sorted(sources);
}
