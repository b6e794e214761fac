// The converted points in the formats GIS programs read: GeoJSON (RFC 7946), KML 2.2, GPX 1.1
// and CSV for a German spreadsheet. Each takes conversions ({ name, points }, a source's name
// and its points as the core gives them) and gives the text of the file. Coordinates are the
// target's own eight-decimal texts; points the core places off the map (not finite, or beyond
// the projection) are left out, and the hints name them.

const placed = (conversions) =>
  conversions.flatMap(({ name, points }) =>
    points.map((point, index) => ({ ...point, source: name, number: index + 1 })).filter((point) => point.onMap),
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

// Semicolons and decimal commas, as a German spreadsheet expects; the byte order mark tells it
// the text is UTF-8. A field holding a separator, a quote or a line break is quoted.
export function csv(conversions) {
  const field = (text) => (/[;"\r\n]/.test(text) ? `"${text.replaceAll('"', '""')}"` : text);
  const rows = placed(conversions).map((point) =>
    [
      point.source,
      String(point.number),
      point.longitude.replace(".", ","),
      point.latitude.replace(".", ","),
      ...point.pieces,
    ]
      .map(field)
      .join(";"),
  );
  return `\uFEFFDatei;Punkt;Länge;Breite;Beschreibung 1;Beschreibung 2;Beschreibung 3\r\n${rows.map((row) => `${row}\r\n`).join("")}`;
}
