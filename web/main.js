// The page: takes source files from the pickers or the drop zone, has a worker convert them one
// after another with the converter's core, and shows what each choice gave (result.js) on the
// page and the map (map.js). The last choice wins: a new one, or "Abbrechen", ends whatever the
// one before is still reading or converting, and takes its result off the page.
import { counted, number, showResult } from "./result.js";
import { chosenSources, droppedSources } from "./sources.js";

// Set when the page is built: the workers' code, the one that converts and the one that exports.
/* global KALMIRA_WORKER, KALMIRA_EXPORT_WORKER */

const $ = (selector) => document.querySelector(selector);
const scriptUrl = (code) => URL.createObjectURL(new Blob([code], { type: "text/javascript" }));
const workerUrl = scriptUrl(KALMIRA_WORKER);
const exportWorkerUrl = scriptUrl(KALMIRA_EXPORT_WORKER);
// A worker compiles the core as soon as it exists: one waits ready for the next choice.
let spareWorker = new Worker(workerUrl);

// The choice in hand: what ends its work, and what takes its result off the page.
let choice = { end() {}, clear() {} };

// Ends the choice in hand and clears the page for a new one, whose signal tells when it ends.
function newChoice() {
  choice.end();
  choice.clear();
  const controller = new AbortController();
  choice = { end: () => controller.abort(), clear() {}, signal: controller.signal };
  $("#reading").hidden = true;
  return controller.signal;
}

// A result of the choice in hand, or only a message.
function show(conversions) {
  $("#reading").hidden = true;
  choice.clear = showResult(conversions, exportOf);
}
function say(text) {
  $("#reading").hidden = true;
  $("#result").replaceChildren(Object.assign(document.createElement("p"), { className: "message", textContent: text }));
  choice.clear = () => $("#result").replaceChildren();
}

// Shows what is being read: a share of bytes, or (without one) a count of files found.
function showReading(text, share) {
  $("#share").textContent = text;
  if (share === undefined) $("#progress").removeAttribute("value");
  else $("#progress").value = Math.round(share * 100);
  $("#reading").hidden = false;
}

// Has a worker of its own make the export of `sources` in `format` (a CSV or DXF in the system
// of EPSG code `system`); gives it as a Blob.
function exportOf(format, sources, system) {
  const worker = new Worker(exportWorkerUrl);
  return new Promise((resolve, reject) => {
    worker.onmessage = ({ data }) => resolve(data.blob);
    worker.onerror = reject;
    worker.postMessage({ format, sources, system });
  }).finally(() => worker.terminate());
}

// Reads a block of a source for a worker that cannot read files itself; null if it cannot be read.
async function readFor(worker, sources, { id, index, start, end }) {
  const bytes = await sources[index].file
    .slice(start, end)
    .arrayBuffer()
    .catch(() => null);
  worker.postMessage({ answer: { id, bytes } }, bytes ? [bytes] : []);
}

function convert(sources, signal) {
  if (sources.length === 0) return say("Keine Quelldatei (.bcr) gefunden");
  const readable = sources.filter(({ file }) => file);
  const total = { files: readable.length, bytes: readable.reduce((sum, { file }) => sum + file.size, 0) };
  const progress = ({ files, bytes }) => {
    const share = total.bytes > 0 ? bytes / total.bytes : 0;
    const read = `${number(bytes / 1e6)} von ${number(total.bytes / 1e6)} MB`;
    const done = `${files} von ${counted(total.files, "Datei", "Dateien")} fertig`;
    showReading(`Gelesen: ${Math.round(share * 100)} % (${read}); ${done}`, share);
  };
  const worker = spareWorker;
  spareWorker = new Worker(workerUrl);
  signal.addEventListener("abort", () => worker.terminate());
  progress({ files: 0, bytes: 0 });
  worker.onmessage = ({ data }) => {
    if (signal.aborted) return; // sent before the choice ended
    if (data.progress) return progress(data.progress);
    if (data.read) return readFor(worker, readable, data.read);
    worker.terminate();
    const results = data.results.values();
    show(sources.map(({ file, path }) => ({ path, result: file ? results.next().value : { folder: true } })));
  };
  worker.postMessage({ convert: readable });
}

$("#cancel").addEventListener("click", () => {
  newChoice();
  say("Abgebrochen; nichts wurde umgerechnet");
});
for (const input of [$("#source-file"), $("#source-folder")]) {
  input.addEventListener("change", () => {
    if (input.files.length === 0) return;
    const sources = chosenSources(input);
    input.value = ""; // the same files, edited, can be chosen again
    convert(sources, newChoice());
  });
}
const zone = $("#drop-zone");
zone.addEventListener("dragover", (event) => {
  event.preventDefault();
  zone.classList.add("dragging");
});
zone.addEventListener("dragleave", () => zone.classList.remove("dragging"));
zone.addEventListener("drop", async (event) => {
  event.preventDefault();
  zone.classList.remove("dragging");
  const signal = newChoice();
  const found = (files) => showReading(`Ordner wird gelesen: ${counted(files, "Datei", "Dateien")}`);
  found(0);
  try {
    convert(await droppedSources(event.dataTransfer, signal, found), signal);
  } catch {
    // the choice ended while its folders were read
  }
});
