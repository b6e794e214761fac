// The page: takes a source file from the file picker or the drop zone, has a worker convert it
// with the converter's core, and offers the target for download, with the core's hints about
// the source, the points in a table and on a map. The map starts with an offline base layer of
// countries and coasts; map tiles are loaded only once the user asks for the online map.
import * as L from "leaflet/dist/leaflet-src.esm.js";
import { feature } from "topojson-client";
import countries from "world-atlas/countries-110m.json";
import { csv, geojson, gpx, kml } from "./exports.js";

// Set when the page is built: the worker's code, and the tile server with its attribution.
/* global KALMIRA_WORKER, KALMIRA_TILE_URL, KALMIRA_TILE_ATTRIBUTION */

const $ = (selector) => document.querySelector(selector);
const workerUrl = URL.createObjectURL(new Blob([KALMIRA_WORKER], { type: "text/javascript" }));
// A worker compiles the core as soon as it exists: one waits ready for the next file.
let spareWorker = new Worker(workerUrl);
let worker = null;

const map = L.map("map", { zoomControl: false, center: [51, 10], zoom: 5 });
L.control.zoom({ zoomInTitle: "Vergrößern", zoomOutTitle: "Verkleinern" }).addTo(map);
map.attributionControl.setPrefix(
  '<a href="https://leafletjs.com" title="Eine JavaScript-Bibliothek für interaktive Karten">Leaflet</a>');
L.geoJSON(feature(countries, countries.objects.countries), {
  style: { color: "#8a97a3", weight: 1, fillColor: "#f6f3ec", fillOpacity: 1 },
  interactive: false,
  attribution: "Länder und Küsten: Natural Earth",
}).addTo(map);
const markers = L.layerGroup().addTo(map);
map.on("popupopen", ({ popup }) => {
  popup.getElement().querySelector(".leaflet-popup-close-button")
    ?.setAttribute("aria-label", "Popup schließen");
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

function showShare(share) {
  const percent = Math.round(share * 100);
  $("#progress").value = percent;
  $("#share").textContent = String(percent);
}

// Clears everything the previous choice left: its message, count, hints, table, markers and
// download, and stops its conversion.
function reset() {
  worker?.terminate();
  worker = null;
  $("#message").textContent = "";
  $("#message").classList.remove("error");
  $("#count").textContent = "";
  $("#hints").replaceChildren();
  $("#hints").hidden = true;
  $("#points").tBodies[0].replaceChildren();
  $("#table-box").hidden = true;
  markers.clearLayers();
  for (const link of document.querySelectorAll("#result a[href]")) {
    URL.revokeObjectURL(link.href);
    link.removeAttribute("href");
  }
  $("#download").hidden = true;
  $("#exports").hidden = true;
  $("#reading").hidden = true;
}

function showTable(points) {
  const body = $("#points").tBodies[0];
  points.forEach((point, index) => {
    const row = body.insertRow();
    for (const text of [String(index + 1), point.longitude, point.latitude, ...point.pieces]) {
      row.insertCell().textContent = text;
    }
  });
  $("#table-box").hidden = points.length === 0;
}

// A marker for every point the core places on the map, the view fitted to them; points off
// the map stay in the table and the hints.
function showMarkers(points) {
  const places = [];
  points.forEach((point, index) => {
    if (!point.onMap) return;
    const place = [Number(point.latitude), Number(point.longitude)];
    const popup = document.createElement("div");
    popup.textContent = `${index + 1}: ${point.pieces.filter((piece) => piece).join(", ")}`;
    L.circleMarker(place, { radius: 7, color: "#ffffff", weight: 2, fillColor: "#c62a22",
                            fillOpacity: 1 }).bindPopup(popup).addTo(markers);
    places.push(place);
  });
  if (places.length > 0) map.fitBounds(places, { padding: [40, 40], maxZoom: 12, animate: false });
}

// The points in the formats GIS programs read, named after the target.
const exportFormats = { geojson: [geojson, "application/geo+json"], kml: [kml, "application/vnd.google-earth.kml+xml"],
                        gpx: [gpx, "application/gpx+xml"], csv: [csv, "text/csv"] };
function offerExports(name, result) {
  for (const [extension, [write, type]] of Object.entries(exportFormats)) {
    const link = $(`#export-${extension}`);
    link.href = URL.createObjectURL(new Blob([write([{ name, points: result.points }])], { type }));
    link.download = `${result.targetName.replace(/\.asc$/, "")}.${extension}`;
  }
  $("#exports").hidden = result.points.length === 0;
}

function showResult(name, result) {
  if (result.error) {
    $("#message").textContent = `Fehler beim Lesen von «${name}»`;
    $("#message").classList.add("error");
    return;
  }
  const count = result.points.length;
  $("#message").textContent = `Konvertierung von «${name}» nach «${result.targetName}»`;
  $("#count").textContent = count === 1 ? "1 Punkt" : `${count} Punkte`;
  $("#hints").replaceChildren(...result.hints.map((hint) => {
    const item = document.createElement("li");
    item.textContent = hint;
    return item;
  }));
  $("#hints").hidden = result.hints.length === 0;
  const link = $("#download");
  link.href = URL.createObjectURL(result.target);
  link.download = result.targetName;
  link.textContent = `${result.targetName} herunterladen`;
  link.hidden = false;
  offerExports(name, result);
  showTable(result.points);
  showMarkers(result.points);
}

function convert(file) {
  reset();
  worker = spareWorker;
  spareWorker = new Worker(workerUrl);
  showShare(0);
  $("#reading").hidden = false;
  worker.onmessage = ({ data }) => {
    if (data.progress !== undefined) {
      showShare(data.progress);
      return;
    }
    reset();
    showResult(file.name, data.result);
  };
  worker.postMessage(file);
}

const input = $("#source-file");
input.addEventListener("change", () => {
  const [file] = input.files;
  input.value = "";  // the same file, edited, can be chosen again
  if (file) convert(file);
});
const zone = $("#drop-zone");
zone.addEventListener("dragover", (event) => {
  event.preventDefault();
  zone.classList.add("dragging");
});
zone.addEventListener("dragleave", () => zone.classList.remove("dragging"));
zone.addEventListener("drop", (event) => {
  event.preventDefault();
  zone.classList.remove("dragging");
  if (event.dataTransfer.files.length > 0) convert(event.dataTransfer.files[0]);
});
