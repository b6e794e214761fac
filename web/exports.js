// The converted points in the formats GIS programs and spreadsheets read: GeoJSON (RFC 7946),
// KML 2.2, GPX 1.1, CSV for a German spreadsheet and XLSX. Each takes conversions ({ name,
// points }, a source's name and its points as the core gives them, their pieces whole) and gives
// the file's text or bytes. Coordinates are the conversion's double-precision values with nine
// decimals, where the point lies (the target rounds them to single precision, up to some 0.6 m
// away); points the core places off the map (not finite, or beyond the projection) are left
// out, and the hints name them.
import { strToU8, zipSync } from "fflate";

const placed = (conversions) =>
  conversions.flatMap(({ name, points }) =>
    points
      .map((point, index) => {
        const [longitude, latitude] = point.exact.map((value) => value.toFixed(9));
        return { ...point, longitude, latitude, source: name, number: index + 1 };
      })
      .filter((point) => point.onMap),
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

const columns = ["Datei", "Punkt", "Länge", "Breite", "Beschreibung 1", "Beschreibung 2", "Beschreibung 3"];

// A text a spreadsheet would take for a formula (OWASP's rule for CSV injection: it starts with
// "=", "+", "-", "@", a tab or a carriage return) gets a "'" in front, which keeps it a text.
const neutral = (text) => (/^[=+\-@\t\r]/.test(text) ? `'${text}` : text);

// Semicolons and decimal commas, as a German spreadsheet expects; the byte order mark tells it
// the text is UTF-8. A field holding a separator, a quote or a line break is quoted; the
// coordinates are numbers, every other field a text that no spreadsheet evaluates.
export function csv(conversions) {
  const field = (text) => (/[;"\r\n]/.test(text) ? `"${text.replaceAll('"', '""')}"` : text);
  const rows = placed(conversions).map((point) => {
    const [longitude, latitude] = [point.longitude, point.latitude].map((value) => value.replace(".", ","));
    const texts = [point.source, ...point.pieces].map(neutral);
    return [texts[0], String(point.number), longitude, latitude, ...texts.slice(1)].map(field).join(";");
  });
  return `\uFEFF${columns.join(";")}\r\n${rows.map((row) => `${row}\r\n`).join("")}`;
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
  const sheet = `<worksheet xmlns="${spreadsheet}"><sheetData><row>${columns.map(text).join("")}</row>${rows.join("")}</sheetData></worksheet>`;
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
};

// The export of `conversions` in `format`, as a Blob of its type.
export function exported(format, conversions) {
  const [write, type] = formats[format];
  return new Blob([write(conversions)], { type });
}
