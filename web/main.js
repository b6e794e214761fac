// The page: takes a source file from the drop zone or the file picker, has the worker convert
// it, and offers the target for download, with the points in a table and on a map.
import * as L from "./leaflet/leaflet-src.esm.js";
import { tileAttribution, tileUrl } from "./config.js";

const $ = (selector) => document.querySelector(selector);
// A worker starts loading the core as soon as it exists: one waits ready for the next file.
let spareWorker = new Worker("worker.js");
let worker = null;
let map = null;
let markers = null;

function show(message, isError) {
  $("#result").hidden = false;
  $("#message").textContent = message;
  $("#message").classList.toggle("error", isError);
}

function cell(row, text, className) {
  const td = row.insertCell();
  td.textContent = text;
  if (className) td.className = className;
}

function showTable(points) {
  const body = $("#points").tBodies[0];
  body.replaceChildren();
  points.forEach((point, index) => {
    const row = body.insertRow();
    cell(row, String(index + 1), "number");
    cell(row, point.longitude, "number");
    cell(row, point.latitude, "number");
    point.pieces.forEach((piece) => cell(row, piece));
  });
  $("#points").hidden = points.length === 0;
}

// One marker per point that has a place; the view fitted to them. Tiles that cannot be loaded
// leave the plain background, on which the markers still show.
function showMap(points) {
  if (!map) {
    map = L.map("map", { attributionControl: true });
    L.tileLayer(tileUrl, { attribution: tileAttribution, maxZoom: 19 }).addTo(map);
    markers = L.layerGroup().addTo(map);
  }
  markers.clearLayers();
  const places = [];
  points.forEach((point, index) => {
    const place = [Number(point.latitude), Number(point.longitude)];
    if (!place.every(Number.isFinite)) return;
    const popup = document.createElement("div");
    popup.textContent = `${index + 1}: ${point.pieces.filter((piece) => piece).join(", ")}`;
    L.circleMarker(place, { radius: 7, color: "#ffffff", weight: 2, fillColor: "#e0312b",
                            fillOpacity: 1 }).bindPopup(popup).addTo(markers);
    places.push(place);
  });
  if (places.length > 0) {
    map.fitBounds(places, { padding: [40, 40], maxZoom: 12 });
  } else {
    map.setView([51, 10], 5);
  }
}

function convert(file) {
  worker?.terminate();
  worker = spareWorker;
  spareWorker = new Worker("worker.js");
  const progress = $("#progress");
  progress.hidden = false;
  progress.value = 0;
  $("#download").hidden = true;
  worker.onmessage = ({ data }) => {
    if (data.progress !== undefined) {
      progress.value = data.progress;
      return;
    }
    progress.hidden = true;
    const { result } = data;
    if (result.error) {
      show(`Fehler beim Lesen von «${file.name}»`, true);
      $("#count").textContent = "";
      showTable([]);
      return;
    }
    show(`Konvertierung von «${file.name}» nach «${result.targetName}»`, false);
    const count = result.points.length;
    $("#count").textContent = count === 1 ? "1 Punkt" : `${count} Punkte`;
    const link = $("#download");
    URL.revokeObjectURL(link.href);
    link.href = URL.createObjectURL(result.target);
    link.download = result.targetName;
    link.textContent = `${result.targetName} herunterladen`;
    link.hidden = false;
    showTable(result.points);
    showMap(result.points);
  };
  worker.postMessage(file);
}

const zone = $("#drop-zone");
$("#source-file").addEventListener("change", (event) => {
  if (event.target.files.length > 0) convert(event.target.files[0]);
});
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
