// The exports, away from the page: gets { format, sources, system } and answers with that export
// of the sources' points as a Blob. The sources are the conversion worker's results, with their
// points and pieces whole; nothing is converted here. The BeTA2007 grid for Gauß-Krüger comes
// inside it (KALMIRA_BETA2007, in base64, set when the page is built).
import { exported } from "./exports.js";
import { projector } from "./projection.js";
import { systemOf, WGS84 } from "./systems.js";
import { zipTargets } from "./targets.js";

const windows1252 = new TextDecoder("windows-1252");
const bytesIn = async (bytes) => (bytes instanceof Blob ? new Uint8Array(await bytes.arrayBuffer()) : bytes);
const grid = () => Uint8Array.from(atob(KALMIRA_BETA2007), (c) => c.charCodeAt(0)).buffer;

// The export of the sources' points ({ name, points, pieces, utf8 } each) in `format`, their
// pieces whole, a CSV or DXF in the system of EPSG code `code`; or, as "zip", their targets in
// one ZIP.
async function exportOf(format, sources, code) {
  if (format === "zip") {
    const targets = await Promise.all(
      sources.map(async ({ targetName, target }) => [targetName, await bytesIn(target)]),
    );
    return new Blob([zipTargets(targets)], { type: "application/zip" });
  }
  const whole = await Promise.all(
    sources.map(async ({ name, points, pieces, utf8 }) => {
      const bytes = await bytesIn(pieces);
      const decoder = utf8 ? new TextDecoder() : windows1252;
      const text = ([start, end]) => decoder.decode(bytes.subarray(start, end));
      return { name, points: points.map((point) => ({ ...point, pieces: point.whole.map(text) })) };
    }),
  );
  const system = systemOf(code);
  return exported(format, whole, system === WGS84 ? system : { ...system, project: projector(system, grid()) });
}

onmessage = async ({ data }) => postMessage({ blob: await exportOf(data.format, data.sources, data.system) });
