// What a choice gave, shown: for one source its message, points, hints and target; for several
// a summary and a row for each, with all targets in one ZIP; for both the exports, the markers on
// the map and the points table. Made anew from the page's templates for each choice; everything
// it made (its parts of the page, markers, object URLs) goes again with it.
import { showMarkers } from "./map.js";
import { doubts, gridArea, suggested, systemOf, systems, WGS84 } from "./systems.js";
import { fileName } from "./targets.js";

const $ = (selector) => document.querySelector(selector);
const element = (name, text = "") => Object.assign(document.createElement(name), { textContent: text });
// A button that looks as a link does: it, too, gives a file.
const action = (text, onclick) => Object.assign(element("button", text), { className: "link", onclick });
export const number = (value) => value.toLocaleString("de-DE", { maximumFractionDigits: 1 });
// "1 Punkt", "2 Punkte": a count with its noun, singular or plural.
export const counted = (count, one, many) => `${number(count)} ${count === 1 ? one : many}`;
export const quoted = (text) => `„${text}“`;
const utf8Shown = "Tabelle, Karte und Exporte zeigen die Beschreibungen als UTF-8.";

// What became of a source that gave no target: the core says it, but of a folder.
const failure = ({ path, result }) =>
  result.folder
    ? `Den gezogenen Ordner ${quoted(path)} öffnet der Browser hier nicht; über „Ordner auswählen“ geht es.`
    : result.message;

// The summary of several sources: how many gave a target, how many of those have hints, and
// how many gave none, and why.
function summary(conversions, converted) {
  const noSource = conversions.filter(({ result }) => result.noSource).length;
  const withHints = converted.filter(({ result }) => result.hints.length > 0).length;
  const unreadable = conversions.length - converted.length - noSource;
  return (
    `${counted(conversions.length, "Datei", "Dateien")}: ${number(converted.length)} umgerechnet` +
    (withHints > 0 ? `, ${number(withHints)} davon mit Hinweisen` : "") +
    (noSource > 0 ? `; ${number(noSource)} keine Quelldatei` : "") +
    (unreadable > 0 ? `; ${number(unreadable)} nicht lesbar` : "")
  );
}

// A table row with a cell for each value (a text or a node), each cell named by its column for
// a narrow screen, where rows stand as cards.
function row(columns, values) {
  const tr = element("tr");
  values.forEach((value, i) => {
    const cell = tr.insertCell();
    cell.dataset.label = columns[i];
    cell.append(value);
  });
  return tr;
}

// One source: its message, hints, count of points and target.
function showOne(part, conversion, offer) {
  const { path, result } = conversion;
  part(".hints").append(...(result.hints ?? []).map((hint) => element("li", hint)));
  part(".hints").hidden = !result.hints?.length;
  part(".message").textContent = result.target
    ? `${quoted(path)} umgerechnet in ${quoted(result.targetName)}`
    : failure(conversion);
  part(".message").classList.toggle("error", !result.target);
  if (result.target) {
    part(".count").textContent = counted(result.points.length, "Punkt", "Punkte");
    part(".downloads").append(
      offer(element("a", `${result.targetName} herunterladen`), result.target, result.targetName),
    );
  }
}

// Several sources: the summary, the total of points, a row for each, all targets in one ZIP.
function showMany(part, conversions, converted, save, zip) {
  part(".message").textContent = summary(conversions, converted);
  const total = converted.reduce((sum, { result }) => sum + result.points.length, 0);
  part(".count").textContent = counted(total, "Punkt", "Punkte");
  showFiles(part(".files-box"), conversions, save);
  if (converted.length > 0) {
    const text = "Alle Zieldateien herunterladen (zieldateien.zip)";
    part(".downloads").append(action(text, async () => save(await zip(), "zieldateien.zip")));
  }
}

// The exports, made on demand away from the page: the pieces whole may be large. A CSV or DXF in
// a plane system names it.
function offerExports(box, conversions, converted, sources, save, exportOf) {
  const name = conversions.length === 1 ? converted[0]?.result.targetName.replace(/\.asc$/, "") : "punkte";
  const places = sources.flatMap(({ points }) => points.filter((point) => point.onMap).map((point) => point.exact));
  const system = chooseSystem(box, places);
  for (const button of box.querySelectorAll("button")) {
    const format = button.dataset.format;
    button.onclick = async () => {
      const chosen = ["csv", "dxf"].includes(format) ? system() : WGS84;
      const suffix = chosen === WGS84 ? "" : `_EPSG${chosen.code}`;
      save(await exportOf(format, sources, chosen.code), `${name}${suffix}.${format}`);
    };
  }
  box.hidden = !converted.some(({ result }) => result.points.length > 0);
}

// Shows `conversions` ({ path, result } each, in the page's order) and gives the function that
// takes all of it away again. `exportOf(format, sources)` makes an export's Blob.
export function showResult(conversions, exportOf) {
  const urls = [];
  let gone = false;
  // Offers `bytes` (an array or a Blob) under the link's name; the address lives as long as the
  // result.
  const offer = (link, bytes, name) => {
    link.href = URL.createObjectURL(bytes instanceof Blob ? bytes : new Blob([bytes]));
    link.download = fileName(name);
    urls.push(link.href);
    return link;
  };
  // Saves a file made for the result, unless the result has gone meanwhile.
  const save = (bytes, name) => {
    if (!gone) offer(element("a"), bytes, name).click();
  };
  const view = $("#result-view").content.cloneNode(true);
  const points = $("#points-view").content.cloneNode(true);
  const part = (selector) => view.querySelector(selector) ?? points.querySelector(selector);

  for (const { result } of conversions) if (result.utf8) result.hints.push(utf8Shown);
  const converted = conversions.filter(({ result }) => result.target);
  const sources = converted.map(({ path, result }) => ({ name: path, ...result }));
  if (conversions.length === 1) showOne(part, conversions[0], offer);
  else showMany(part, conversions, converted, save, () => exportOf("zip", sources));
  part(".downloads").hidden = part(".downloads").childElementCount === 0;
  offerExports(part(".exports"), conversions, converted, sources, save, exportOf);

  const removeMarkers = showMarkers(converted);
  showPoints(points, converted);
  $("#result").replaceChildren(view);
  $("#points-area").replaceChildren(points);
  return () => {
    gone = true;
    $("#result").replaceChildren();
    $("#points-area").replaceChildren();
    removeMarkers();
    urls.forEach((url) => URL.revokeObjectURL(url));
  };
}

const degrees = (value) => `${value.toLocaleString("de-DE", { maximumFractionDigits: 2 })}°`;
const systemChoice = "kalmira-koordinatensystem";

// The choice of the system for CSV and DXF, kept for the page's session: the systems whose zone
// the points' middle falls in are suggested; points outside the chosen zone are said, and
// Gauß-Krüger beyond its grid is refused (no CSV or DXF). Gives the system chosen.
function chooseSystem(box, places) {
  const [choice, notes] = [box.querySelector(".system"), box.querySelector(".system-notes")];
  const proposed = suggested(places);
  for (const system of systems) {
    choice.append(new Option(`${system.name}${proposed.includes(system) ? " (Vorschlag)" : ""}`, system.code));
  }
  choice.value = systemOf(sessionStorage.getItem(systemChoice)).code;
  const show = () => {
    const system = systemOf(choice.value);
    sessionStorage.setItem(systemChoice, system.code);
    const { outside, beyondGrid } = doubts(system, places);
    const said = [];
    if (proposed.length > 0)
      said.push(`Die Mitte der Punkte liegt in ${proposed.map(({ name }) => name).join(" und ")}.`);
    if (outside > 0) {
      const band = `${degrees(system.west)} bis ${degrees(system.east)} östlicher Länge`;
      said.push(`${counted(outside, "Punkt liegt", "Punkte liegen")} außerhalb von ${system.name} (${band}).`);
    }
    if (beyondGrid > 0) {
      const area = `${degrees(gridArea.west)} bis ${degrees(gridArea.east)} Ost, ${degrees(gridArea.south)} bis ${degrees(gridArea.north)} Nord`;
      said.push(
        `${counted(beyondGrid, "Punkt liegt", "Punkte liegen")} außerhalb des BeTA2007-Gitters (${area}): ` +
          "Gauß-Krüger wäre dort geraten, daher gibt es CSV und DXF so nicht.",
      );
    }
    notes.replaceChildren(...said.map((text) => element("li", text)));
    notes.hidden = said.length === 0;
    for (const format of ["csv", "dxf"]) box.querySelector(`[data-format=${format}]`).disabled = beyondGrid > 0;
  };
  choice.onchange = show;
  show();
  return () => systemOf(choice.value);
}

// Several sources: a row for each, its target saved when asked for (a link of its own for each of
// thousands would cost the page seconds). Rows that need a look (hints, no target) stand out, and
// can be put first; their hints are folded to their count.
function showFiles(box, conversions, save) {
  const columns = [...box.querySelectorAll("th")].map((th) => th.textContent);
  const rows = conversions.map((conversion) => {
    const { path, result } = conversion;
    const target = result.target
      ? action(result.targetName, () => save(result.target, result.targetName))
      : result.noSource
        ? "keine Quelldatei"
        : "–";
    const notes = element("div", result.target || result.noSource ? "" : failure(conversion));
    if (result.hints?.length > 0) {
      const hints = element("details");
      const list = element("ul");
      list.append(...result.hints.map((hint) => element("li", hint)));
      hints.append(element("summary", counted(result.hints.length, "Hinweis", "Hinweise")), list);
      notes.append(hints);
    }
    const tr = row(columns, [path, target, result.target ? number(result.points.length) : "–", notes]);
    tr.classList.toggle("attention", !result.target || result.hints.length > 0);
    return tr;
  });
  const first = box.querySelector(".hints-first");
  const order = () => {
    const marked = new Set(first.checked ? rows.filter((tr) => tr.classList.contains("attention")) : []);
    box.querySelector("tbody").replaceChildren(...marked, ...rows.filter((tr) => !marked.has(tr)));
  };
  first.onchange = order;
  order();
  box.hidden = false;
}

// The points of one file, or of all with a column naming the file.
function showPoints(area, converted) {
  const [table, box, choice] = [".points", ".table-box", ".table-choice"].map((part) => area.querySelector(part));
  const show = (chosen) => {
    const shown = chosen === "" ? converted : [converted[Number(chosen)]];
    const withFile = shown.length > 1;
    const columns = [...(withFile ? ["Datei"] : []), "Nr.", "Länge", "Breite"];
    columns.push("Beschreibung 1", "Beschreibung 2", "Beschreibung 3");
    table.replaceChildren();
    table
      .createTHead()
      .insertRow()
      .append(...columns.map((column) => element("th", column)));
    const body = table.createTBody();
    for (const { path, result } of shown) {
      result.points.forEach((point, index) => {
        const values = [String(index + 1), point.longitude, point.latitude, ...point.pieces];
        body.append(row(columns, withFile ? [path, ...values] : values));
      });
    }
    box.hidden = body.rows.length === 0;
  };
  choice.append(new Option("Alle Dateien", ""), ...converted.map(({ path }, file) => new Option(path, String(file))));
  choice.onchange = () => show(choice.value);
  area.querySelector(".table-choice-box").hidden = converted.length < 2;
  show("");
}
