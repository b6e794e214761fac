// The converted points in the formats GIS programs, spreadsheets and CAD read: GeoJSON (RFC 7946),
// KML 2.2, GPX 1.1, CSV for a German spreadsheet, XLSX and DXF. Each takes conversions ({ name,
// points }, a source's name and its points as the core gives them, their pieces whole) and gives
// the file's text or bytes. Coordinates are the conversion's double-precision values, each as
// the shortest text that reads back as that double (the target rounds them to single precision,
// up to some 0.6 m away, and so does a reader of an export that rounds it); points the core
// places off the map (not finite, or beyond the projection) are left out, and the hints name
// them. CSV and DXF can be in a plane system (systems.js), in metres:
// `project` gives a place's two coordinates there, or null where the system refuses it.
import { strToU8, zipSync } from "fflate";

// The shortest text that reads back as `value`, in fixed notation (a place on the map is at most
// 180 in size, so only a small one needs its point moved: 1.5e-7 is 0.00000015).
function shortest(value) {
  if (Object.is(value, -0)) return "-0";
  const [mantissa, exponent] = String(value).split("e");
  if (exponent === undefined) return mantissa;
  const digits = mantissa.replace(/[-.]/g, "");
  return `${value < 0 ? "-" : ""}0.${"0".repeat(-Number(exponent) - 1)}${digits}`;
}

const placed = (conversions, project = (place) => place) =>
  conversions.flatMap(({ name, points }) =>
    points.flatMap((point, index) => {
      const plane = point.onMap ? project(point.exact) : null;
      if (!plane) return [];
      const [longitude, latitude] = point.exact.map(shortest);
      return [{ ...point, longitude, latitude, plane, source: name, number: index + 1 }];
    }),
  );

// Text for XML: markup escaped, a carriage return kept as a reference (a parser would turn it
// into a line feed), and the control characters XML 1.0 cannot hold replaced.
const xml = (text) =>
  text
    .replace(/[\u0000-\u0008\u000B\u000C\u000E-\u001F]/g, "\uFFFD")
    .replace(/[<>&"'\r]/g, (c) => `&#${c.charCodeAt(0)};`);
const title = (point) => `${point.number} ${point.pieces[0]}`.trim();
const description = (point) => point.pieces.filter((piece) => piece).join(", ");

export function geojson(conversions) {
  const features = placed(conversions).map((point) => {
    const properties = JSON.stringify({
      datei: point.source,
      punkt: point.number,
      beschreibung1: point.pieces[0],
      beschreibung2: point.pieces[1],
      beschreibung3: point.pieces[2],
    });
    return (
      `{"type":"Feature","geometry":{"type":"Point","coordinates":[${point.longitude},${point.latitude}]},` +
      `"properties":${properties}}`
    );
  });
  return `{"type":"FeatureCollection","features":[\n${features.join(",\n")}\n]}\n`;
}

export function kml(conversions) {
  const placemarks = placed(conversions).map(
    (point) =>
      `<Placemark><name>${xml(title(point))}</name><description>${xml(description(point))}</description>` +
      `<Point><coordinates>${point.longitude},${point.latitude}</coordinates></Point></Placemark>\n`,
  );
  return (
    '<?xml version="1.0" encoding="UTF-8"?>\n<kml xmlns="http://www.opengis.net/kml/2.2"><Document>\n' +
    `${placemarks.join("")}</Document></kml>\n`
  );
}

export function gpx(conversions) {
  const waypoints = placed(conversions).map(
    (point) =>
      `<wpt lat="${point.latitude}" lon="${point.longitude}"><name>${xml(title(point))}</name>` +
      `<desc>${xml(description(point))}</desc></wpt>\n`,
  );
  return (
    '<?xml version="1.0" encoding="UTF-8"?>\n' +
    '<gpx version="1.1" creator="KALMIRA" xmlns="http://www.topografix.com/GPX/1/1">\n' +
    `${waypoints.join("")}</gpx>\n`
  );
}

const columns = (axes) => ["Datei", "Punkt", ...axes, "Beschreibung 1", "Beschreibung 2", "Beschreibung 3"];
const degrees = ["Länge", "Breite"];

// A text a spreadsheet would take for a formula (OWASP's rule for CSV injection: it starts with
// "=", "+", "-", "@", a tab or a carriage return) gets a "'" in front, which keeps it a text.
const neutral = (text) => (/^[=+\-@\t\r]/.test(text) ? `'${text}` : text);

// Semicolons and decimal commas, as a German spreadsheet expects; the byte order mark tells it
// the text is UTF-8. A field holding a separator, a quote or a line break is quoted; the
// coordinates are numbers (in a plane system metres to the millimetre, under its axes' names),
// every other field a text that no spreadsheet evaluates.
export function csv(conversions, system) {
  const field = (text) => (/[;"\r\n]/.test(text) ? `"${text.replaceAll('"', '""')}"` : text);
  const rows = placed(conversions, system.project).map((point) => {
    const values = system.project ? point.plane.map((value) => value.toFixed(3)) : [point.longitude, point.latitude];
    const texts = [point.source, ...point.pieces].map(neutral);
    const coordinates = values.map((value) => value.replace(".", ","));
    return [texts[0], String(point.number), ...coordinates, ...texts.slice(1)].map(field).join(";");
  });
  return `\uFEFF${columns(system.axes).join(";")}\r\n${rows.map((row) => `${row}\r\n`).join("")}`;
}

// A DXF drawing's bytes: Latin-1's characters as they are (the drawing's code page, Windows-1252,
// holds them at the same places; GDAL reads its other bytes as Latin-1), every other character
// as CAD programs write it ("\U+20AC").
function ansi(text) {
  const escape = (character) => `\\U+${character.codePointAt(0).toString(16).toUpperCase().padStart(4, "0")}`;
  return strToU8(text.replace(/[^\u0000-\u007F\u00A0-\u00FF]/gu, escape), true);
}

// A layer's name as DXF R12 allows it: letters, digits, "$", "-" and "_", at most 31 of them;
// the first of two equal names keeps it, the others get a number.
function layerNames(names) {
  const taken = new Set();
  return names.map((name) => {
    const base = name.replace(/[^A-Za-z0-9$_-]/g, "_").slice(0, 28) || "_";
    let layer = base;
    for (let n = 2; taken.has(layer.toUpperCase()); ++n) layer = `${base}_${n}`;
    taken.add(layer.toUpperCase());
    return layer;
  });
}

// A DXF drawing (AutoCAD R12, which GDAL and every CAD program read) for CAD: a layer for each
// source, and for each point a POINT and beside it a TEXT with its number and description (its
// first 200 characters), in the system's metres (in degrees for WGS 84). A CAD program shows a
// point as a circle with a cross ($PDMODE), where it honours the drawing's point style.
export function dxf(conversions, system) {
  const height = system.project ? 0.5 : 0.000005; // some 50 cm: 2 mm on a plan of 1:250
  const layers = layerNames(conversions.map(({ name }) => name));
  const layerOf = new Map(conversions.map(({ name }, i) => [name, layers[i]]));
  const digits = system.project ? 4 : 9;
  const place = (value) => (system.project ? value.toFixed(digits) : shortest(value));
  const parts = [];
  const group = (...pairs) => {
    for (let i = 0; i < pairs.length; i += 2) parts.push(`${pairs[i]}\r\n`, pairs[i + 1], "\r\n");
  };
  group(0, "SECTION", 2, "HEADER", 9, "$ACADVER", 1, "AC1009", 9, "$DWGCODEPAGE", 3, "ANSI_1252");
  group(9, "$PDMODE", 70, 35, 9, "$PDSIZE", 40, 4 * height, 0, "ENDSEC");
  group(0, "SECTION", 2, "TABLES", 0, "TABLE", 2, "LTYPE", 70, 1);
  group(0, "LTYPE", 2, "CONTINUOUS", 70, 0, 3, "Solid line", 72, 65, 73, 0, 40, "0.0", 0, "ENDTAB");
  group(0, "TABLE", 2, "LAYER", 70, layers.length);
  // Colours that stand out on white paper and on a dark screen: red, blue, green, magenta, orange.
  const colours = [1, 5, 3, 6, 30];
  layers.forEach((layer, i) => group(0, "LAYER", 2, layer, 70, 0, 62, colours[i % 5], 6, "CONTINUOUS"));
  group(0, "ENDTAB", 0, "ENDSEC", 0, "SECTION", 2, "ENTITIES");
  for (const point of placed(conversions, system.project)) {
    const [x, y] = point.plane.map(place);
    const layer = layerOf.get(point.source);
    const [textX, textY] = point.plane.map((value) => (value + height / 2).toFixed(digits));
    // Cut, and on one line: a control character (a line break) would end the value early.
    const text = `${point.number} ${description(point)}`;
    const shown = (text.length > 200 ? `${text.slice(0, 200)}…` : text).replace(/[\u0000-\u001F\u007F]/g, " ");
    group(0, "POINT", 8, layer, 10, x, 20, y, 30, "0.0");
    group(0, "TEXT", 8, layer, 10, textX, 20, textY, 30, "0.0", 40, height, 1, shown.trim());
  }
  group(0, "ENDSEC", 0, "EOF");
  return ansi(parts.join(""));
}

// An Office Open XML workbook (XLSX) of one sheet, for spreadsheets that guess at a CSV's texts
// ("1.10" a date, "0815" the number 815): the descriptions and names are text cells, the point
// numbers and coordinates numbers.
export function xlsx(conversions) {
  const text = (value) => `<c t="inlineStr"><is><t xml:space="preserve">${xml(value)}</t></is></c>`;
  const numeric = (value) => `<c><v>${value}</v></c>`;
  const rows = placed(conversions).map((point) => {
    const cells = [text(point.source), ...[point.number, point.longitude, point.latitude].map(numeric)];
    return `<row>${[...cells, ...point.pieces.map(text)].join("")}</row>`;
  });
  const header = `<row>${columns(degrees).map(text).join("")}</row>`;
  const sheet = `<worksheet xmlns="${spreadsheet}"><sheetData>${header}${rows.join("")}</sheetData></worksheet>`;
  const workbook =
    `<workbook xmlns="${spreadsheet}" xmlns:r="${relations}/relationships">` +
    '<sheets><sheet name="Punkte" sheetId="1" r:id="sheet"/></sheets></workbook>';
  const files = {
    "[Content_Types].xml":
      '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">' +
      '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>' +
      '<Default Extension="xml" ContentType="application/xml"/>' +
      `<Override PartName="/xl/workbook.xml" ContentType="${officeType}.sheet.main+xml"/>` +
      `<Override PartName="/xl/worksheets/sheet1.xml" ContentType="${officeType}.worksheet+xml"/></Types>`,
    "_rels/.rels": relationship("document", "officeDocument", "xl/workbook.xml"),
    "xl/workbook.xml": workbook,
    "xl/_rels/workbook.xml.rels": relationship("sheet", "worksheet", "worksheets/sheet1.xml"),
    "xl/worksheets/sheet1.xml": sheet,
  };
  const declared = (xmlText) => strToU8(`<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n${xmlText}`);
  return zipSync(Object.fromEntries(Object.entries(files).map(([name, xmlText]) => [name, declared(xmlText)])));
}

const spreadsheet = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const relations = "http://schemas.openxmlformats.org/officeDocument/2006";
const officeType = "application/vnd.openxmlformats-officedocument.spreadsheetml";
const relationship = (id, type, target) =>
  '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">' +
  `<Relationship Id="${id}" Type="${relations}/relationships/${type}" Target="${target}"/></Relationships>`;

const formats = {
  geojson: [geojson, "application/geo+json"],
  kml: [kml, "application/vnd.google-earth.kml+xml"],
  gpx: [gpx, "application/gpx+xml"],
  csv: [csv, "text/csv"],
  xlsx: [xlsx, `${officeType}.sheet`],
  dxf: [dxf, "image/vnd.dxf"],
};

// The export of `conversions` in `format`, as a Blob of its type; CSV and DXF in `system` (its
// axes' names, and `project` unless it is WGS 84).
export function exported(format, conversions, system) {
  const [write, type] = formats[format];
  return new Blob([write(conversions, system)], { type });
}
