// The page: takes source files from the pickers or the drop zone, has a worker convert them one
// after another with the converter's core, and offers the targets for download (one file's
// target, or several in a ZIP), with the core's hints about each source, the points in a table,
// on a map and in the formats GIS programs read. The map starts with an offline base layer of
// countries and coasts; map tiles are loaded only once the user asks for the online map.
import * as L from "leaflet/dist/leaflet-src.esm.js";
import { feature } from "topojson-client";
import countries from "world-atlas/countries-110m.json";
import { csv, geojson, gpx, kml } from "./exports.js";
import { chosenSources, droppedSources } from "./sources.js";
import { fileName, nameTargets, zipTargets } from "./targets.js";

// Set when the page is built: the worker's code, and the tile server with its attribution.
/* global KALMIRA_WORKER, KALMIRA_TILE_URL, KALMIRA_TILE_ATTRIBUTION */

const $ = (selector) => document.querySelector(selector);
const element = (name, text = "") => Object.assign(document.createElement(name), { textContent: text });
const workerUrl = URL.createObjectURL(new Blob([KALMIRA_WORKER], { type: "text/javascript" }));
// A worker compiles the core as soon as it exists: one waits ready for the next choice.
let spareWorker = new Worker(workerUrl);
let worker = null;

const map = L.map("map", { zoomControl: false, center: [51, 10], zoom: 5 });
L.control.zoom({ zoomInTitle: "Vergrößern", zoomOutTitle: "Verkleinern" }).addTo(map);
map.attributionControl.setPrefix(
  '<a href="https://leafletjs.com" title="Eine JavaScript-Bibliothek für interaktive Karten">Leaflet</a>',
);
L.geoJSON(feature(countries, countries.objects.countries), {
  style: { color: "#8a97a3", weight: 1, fillColor: "#f6f3ec", fillOpacity: 1 },
  interactive: false,
  attribution: "Länder und Küsten: Natural Earth",
}).addTo(map);
const markers = L.layerGroup().addTo(map);
map.on("popupopen", ({ popup }) => {
  popup.getElement().querySelector(".leaflet-popup-close-button")?.setAttribute("aria-label", "Popup schließen");
});

// The online map, for the rest of the browser session once the user asked for it.
const onlineChoice = "kalmira-online-karte";
function loadOnlineMap() {
  L.tileLayer(KALMIRA_TILE_URL, { attribution: KALMIRA_TILE_ATTRIBUTION, maxZoom: 19 }).addTo(map);
  sessionStorage.setItem(onlineChoice, "ja");
  $("#online-map").hidden = true;
}
$("#tile-server").textContent = new URL(KALMIRA_TILE_URL.replace(/[{}]/g, "")).host;
$("#load-tiles").addEventListener("click", loadOnlineMap);
if (sessionStorage.getItem(onlineChoice) === "ja") loadOnlineMap();

const number = (value) => value.toLocaleString("de-DE", { maximumFractionDigits: 1 });
// "1 Punkt", "2 Punkte": a count with its noun, singular or plural.
const counted = (count, one, many) => `${number(count)} ${count === 1 ? one : many}`;
const pointCount = (count) => counted(count, "Punkt", "Punkte");
const quoted = (text) => `„${text}“`;

function showProgress(done, total) {
  const share = total.bytes > 0 ? done.bytes / total.bytes : 0;
  $("#progress").value = Math.round(share * 100);
  $("#share").textContent =
    `${Math.round(share * 100)} % (${number(done.bytes / 1e6)} von ` +
    `${number(total.bytes / 1e6)} MB); ${done.files} von ${counted(total.files, "Datei", "Dateien")} fertig`;
}

// Clears everything the previous choice left: its message, hints, tables, markers and
// downloads, and stops its conversion.
function reset() {
  worker?.terminate();
  worker = null;
  for (const selector of ["#message", "#count"]) $(selector).textContent = "";
  $("#message").classList.remove("error");
  for (const selector of ["#hints", "#files tbody", "#legend", "#points", "#table-choice"]) {
    $(selector).replaceChildren();
  }
  for (const selector of [
    "#hints",
    "#files-box",
    "#legend",
    "#table-choice-box",
    "#table-box",
    "#download",
    "#exports",
    "#reading",
  ]) {
    $(selector).hidden = true;
  }
  markers.clearLayers();
  for (const link of document.querySelectorAll("a[href^='blob:']")) {
    URL.revokeObjectURL(link.href);
    link.removeAttribute("href");
  }
}

function offer(link, blob, name, text = name) {
  link.href = URL.createObjectURL(blob);
  link.download = fileName(name);
  link.textContent = text;
  link.hidden = false;
}

const hintItems = (hints) => hints.map((hint) => element("li", hint));
// What became of a source that gave no target.
const failure = ({ path, result }) =>
  result.folder
    ? `Den gezogenen Ordner ${quoted(path)} öffnet der Browser hier nicht; über „Ordner auswählen“ geht es.`
    : result.noSource
      ? `${quoted(path)} ist keine Quelldatei: sie hat weder [COORDINATES] noch [DESCRIPTION].`
      : `Fehler beim Lesen von ${quoted(path)}`;

// One source: its message, count and hints, and its target.
function showOne(conversion) {
  const { path, result } = conversion;
  $("#hints").replaceChildren(...hintItems(result.hints ?? []));
  $("#hints").hidden = !result.hints?.length;
  if (!result.target) {
    $("#message").textContent = failure(conversion);
    $("#message").classList.add("error");
    return;
  }
  $("#message").textContent = `${quoted(path)} umgerechnet in ${quoted(result.targetName)}`;
  $("#count").textContent = pointCount(result.points.length);
  offer($("#download"), new Blob([result.target]), result.targetName, `${result.targetName} herunterladen`);
}

// The summary of several sources: how many gave a target, how many of those have hints, and
// how many gave none, and why.
function summary(conversions, converted) {
  const noSource = conversions.filter(({ result }) => result.noSource).length;
  const withHints = converted.filter(({ result }) => result.hints.length > 0).length;
  const unreadable = conversions.length - converted.length - noSource;
  return (
    `${counted(conversions.length, "Datei", "Dateien")}: ${converted.length} umgerechnet` +
    (withHints > 0 ? `, ${withHints} davon mit Hinweisen` : "") +
    (noSource > 0 ? `; ${noSource} keine Quelldatei` : "") +
    (unreadable > 0 ? `; ${unreadable} nicht lesbar` : "")
  );
}

// Several sources: a row for each, and their targets in one ZIP. Rows that need a look (hints,
// no target) stand out, and can be put first; their hints are folded to their count.
function showMany(conversions, converted) {
  $("#message").textContent = summary(conversions, converted);
  $("#count").textContent = pointCount(converted.reduce((sum, { result }) => sum + result.points.length, 0));
  const rows = conversions.map((conversion) => {
    const { path, result } = conversion;
    const row = element("tr");
    row.insertCell().textContent = path;
    if (result.target) {
      offer(row.insertCell().appendChild(element("a")), new Blob([result.target]), result.targetName);
    } else {
      row.insertCell().textContent = result.noSource ? "keine Quelldatei" : "–";
    }
    row.insertCell().textContent = result.target ? number(result.points.length) : "–";
    const notes = row.insertCell();
    if (!result.target && !result.noSource) notes.append(failure(conversion));
    if (result.hints?.length > 0) {
      const hints = element("details");
      hints.append(element("summary", counted(result.hints.length, "Hinweis", "Hinweise")), element("ul"));
      hints.lastChild.append(...hintItems(result.hints));
      notes.append(hints);
    }
    row.classList.toggle("attention", !result.target || result.hints.length > 0);
    return row;
  });
  const orderRows = () => {
    const first = $("#hints-first").checked ? rows.filter((row) => row.classList.contains("attention")) : [];
    $("#files tbody").replaceChildren(...first, ...rows.filter((row) => !first.includes(row)));
  };
  $("#hints-first").onchange = orderRows;
  orderRows();
  $("#files-box").hidden = false;
  if (converted.length > 0) {
    offer(
      $("#download"),
      new Blob([zipTargets(conversions)], { type: "application/zip" }),
      "zieldateien.zip",
      "Alle Zieldateien herunterladen (zieldateien.zip)",
    );
  }
}

// The points in the formats GIS programs read, named after the one target or for all.
const exportFormats = {
  geojson: [geojson, "application/geo+json"],
  kml: [kml, "application/vnd.google-earth.kml+xml"],
  gpx: [gpx, "application/gpx+xml"],
  csv: [csv, "text/csv"],
};
function offerExports(converted, name) {
  const sources = converted.map(({ path, result }) => ({ name: path, points: result.points }));
  for (const [extension, [write, type]] of Object.entries(exportFormats)) {
    const link = $(`#export-${extension}`);
    offer(link, new Blob([write(sources)], { type }), `${name}.${extension}`, link.textContent);
  }
  $("#exports").hidden = !sources.some(({ points }) => points.length > 0);
}

// Colours that stay apart from each other and from the base map; they repeat after ten files.
const colours = "#c62a22 #1f5fbf #2e7d32 #8e44ad #c25e00 #00838f #ad1457 #5d4037 #455a64 #827717".split(" ");

// A marker for every point the core places on the map, in its file's colour, the view fitted
// to them; points off the map stay in the table and the hints. With several files, a legend.
function showMarkers(converted) {
  const places = [];
  converted.forEach(({ path, result }, file) => {
    const colour = colours[file % colours.length];
    result.points.forEach((point, index) => {
      if (!point.onMap) return;
      const place = [Number(point.latitude), Number(point.longitude)];
      const name = converted.length > 1 ? `${path} · ${index + 1}` : String(index + 1);
      const popup = element("div", `${name}: ${point.pieces.filter((piece) => piece).join(", ")}`);
      L.circleMarker(place, { radius: 7, color: "#ffffff", weight: 2, fillColor: colour, fillOpacity: 1 })
        .bindPopup(popup)
        .addTo(markers);
      places.push(place);
    });
    const key = element("li", path);
    key.prepend(Object.assign(element("span"), { className: "swatch" }));
    key.firstChild.style.background = colour;
    $("#legend").append(key);
  });
  $("#legend").hidden = converted.length < 2;
  if (places.length > 0) map.fitBounds(places, { padding: [40, 40], maxZoom: 12, animate: false });
}

// The points of one file, or of all with a column naming the file.
function showTable(converted, chosen) {
  const shown = chosen === "" ? converted : [converted[Number(chosen)]];
  const withFile = shown.length > 1;
  const head = $("#points").createTHead().insertRow();
  for (const text of [
    ...(withFile ? ["Datei"] : []),
    "Nr.",
    "Länge",
    "Breite",
    "Beschreibung 1",
    "Beschreibung 2",
    "Beschreibung 3",
  ]) {
    head.append(element("th", text));
  }
  const body = $("#points").createTBody();
  for (const { path, result } of shown) {
    result.points.forEach((point, index) => {
      const row = body.insertRow();
      if (withFile) row.insertCell().textContent = path;
      for (const text of [String(index + 1), point.longitude, point.latitude, ...point.pieces]) {
        row.insertCell().textContent = text;
      }
    });
  }
  $("#table-box").hidden = body.rows.length === 0;
}

function offerTableChoice(converted) {
  const choice = $("#table-choice");
  choice.append(new Option("Alle Dateien", ""), ...converted.map(({ path }, file) => new Option(path, String(file))));
  choice.onchange = () => {
    $("#points").replaceChildren();
    showTable(converted, choice.value);
  };
  $("#table-choice-box").hidden = converted.length < 2;
}

function show(conversions) {
  nameTargets(conversions);
  for (const { result } of conversions) {
    if (result.utf8) result.hints.push("Tabelle, Karte und Exporte zeigen die Beschreibungen als UTF-8.");
  }
  const converted = conversions.filter(({ result }) => result.target);
  if (conversions.length === 1) showOne(conversions[0]);
  else showMany(conversions, converted);
  if (converted.length > 0) {
    offerExports(converted, conversions.length === 1 ? converted[0].result.targetName.replace(/\.asc$/, "") : "punkte");
  }
  showMarkers(converted);
  offerTableChoice(converted);
  showTable(converted, "");
}

function convert(sources) {
  reset();
  if (sources.length === 0) {
    $("#message").textContent = "Keine Quelldatei (.bcr) gefunden";
    return;
  }
  const readable = sources.filter(({ file }) => file);
  const total = { files: readable.length, bytes: readable.reduce((sum, { file }) => sum + file.size, 0) };
  worker = spareWorker;
  spareWorker = new Worker(workerUrl);
  showProgress({ files: 0, bytes: 0 }, total);
  $("#reading").hidden = false;
  worker.onmessage = ({ data }) => {
    if (data.progress) {
      showProgress(data.progress, total);
      return;
    }
    reset();
    const results = data.results.values();
    show(
      sources.map(({ file, path }) => ({ path, result: file ? results.next().value : { error: true, folder: true } })),
    );
  };
  worker.postMessage(readable);
}

$("#cancel").addEventListener("click", () => {
  reset();
  $("#message").textContent = "Abgebrochen; nichts wurde umgerechnet";
});
for (const input of [$("#source-file"), $("#source-folder")]) {
  input.addEventListener("change", () => {
    if (input.files.length === 0) return;
    const sources = chosenSources(input);
    input.value = ""; // the same files, edited, can be chosen again
    convert(sources);
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
  convert(await droppedSources(event.dataTransfer));
});
