// The map: an offline base layer of countries and coasts, with nothing sent anywhere, and the
// online map's tiles once the user asks for them; a scale; the points of a choice as markers in
// their file's colour, with a legend.
import * as L from "leaflet/dist/leaflet-src.esm.js";
import { feature } from "topojson-client";
import countries from "world-atlas/countries-110m.json";

// Set when the page is built: the tile server, with {s} for its subdomains, and its attribution.
/* global KALMIRA_TILE_URL, KALMIRA_TILE_ATTRIBUTION */

const $ = (selector) => document.querySelector(selector);
const map = L.map("map", { zoomControl: false, center: [51, 10], zoom: 5 });
L.control.zoom({ zoomInTitle: "Vergrößern", zoomOutTitle: "Verkleinern" }).addTo(map);
L.control.scale({ imperial: false }).addTo(map);
map.attributionControl.setPrefix(
  '<a href="https://leafletjs.com" title="Eine JavaScript-Bibliothek für interaktive Karten">Leaflet</a>',
);
L.geoJSON(feature(countries, countries.objects.countries), {
  style: { color: "#8a97a3", weight: 1, fillColor: "#f6f3ec", fillOpacity: 1 },
  interactive: false,
  attribution: "Länder und Küsten: Natural Earth",
}).addTo(map);
map.on("popupopen", ({ popup }) => {
  popup.getElement().querySelector(".leaflet-popup-close-button")?.setAttribute("aria-label", "Popup schließen");
});

// The online map, for the rest of the browser session once the user asked for it. Tiles that do
// not come (offline, or the server refuses) are said once.
const onlineChoice = "kalmira-online-karte";
function loadOnlineMap() {
  const tiles = L.tileLayer(KALMIRA_TILE_URL, { attribution: KALMIRA_TILE_ATTRIBUTION, maxZoom: 19 });
  tiles.once("tileerror", () => {
    $("#map-message").textContent =
      "Kartenkacheln lassen sich nicht laden (ohne Netz?); die Karte zeigt nur Länder und Küsten.";
  });
  tiles.addTo(map);
  sessionStorage.setItem(onlineChoice, "ja");
  $("#online-map").hidden = true;
}
$("#tile-server").textContent = new URL(KALMIRA_TILE_URL.replace("{s}.", "").replace(/[{}]/g, "")).host;
$("#load-tiles").addEventListener("click", loadOnlineMap);
if (sessionStorage.getItem(onlineChoice) === "ja") loadOnlineMap();

// Colours that stay apart from each other and from the base map; they repeat after ten files.
const colours = "#c62a22 #1f5fbf #2e7d32 #8e44ad #c25e00 #00838f #ad1457 #5d4037 #455a64 #827717".split(" ");

// A marker for every point the core places on the map, in its file's colour, the view fitted
// to them; points off the map stay in the table and the hints. With several files, a legend.
// Gives the function that takes them away again.
export function showMarkers(converted) {
  const markers = L.layerGroup().addTo(map);
  const places = [];
  const legend = $("#legend");
  converted.forEach(({ path, result }, file) => {
    const colour = colours[file % colours.length];
    result.points.forEach((point, index) => {
      if (!point.onMap) return;
      const place = [Number(point.latitude), Number(point.longitude)];
      const name = converted.length > 1 ? `${path} · ${index + 1}` : String(index + 1);
      const popup = Object.assign(document.createElement("div"), {
        textContent: `${name}: ${point.pieces.filter((piece) => piece).join(", ")}`,
      });
      L.circleMarker(place, { radius: 7, color: "#ffffff", weight: 2, fillColor: colour, fillOpacity: 1 })
        .bindPopup(popup)
        .addTo(markers);
      places.push(place);
    });
    const key = Object.assign(document.createElement("li"), { textContent: path });
    key.prepend(Object.assign(document.createElement("span"), { className: "swatch" }));
    key.firstChild.style.background = colour;
    legend.append(key);
  });
  legend.hidden = converted.length < 2;
  if (places.length > 0) map.fitBounds(places, { padding: [40, 40], maxZoom: 12, animate: false });
  return () => {
    markers.remove();
    legend.replaceChildren();
    legend.hidden = true;
  };
}
