// What PROJ (Debian's proj-bin) makes of places ([longitude, latitude] each, ETRS89) in a plane
// system of the exports, for the tests to hold the page's projections against.
import { execFileSync } from "node:child_process";

// What PROJ makes of the places, as easting and northing: UTM by cs2cs from ETRS89 (latitude
// first) to the system's EPSG code; Gauß-Krüger by cct through BeTA2007 everywhere in the grid
// (cs2cs would take another way outside Germany) and the zone's transverse Mercator.
export function byProj(system, places) {
  const zone = system.gaussKrueger;
  const gaussKrueger = `+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad +step +inv +proj=hgridshift
    +grids=BETA2007.gsb +step +proj=tmerc +lat_0=0 +lon_0=${3 * zone} +k=1 +x_0=${zone * 1e6 + 500000} +y_0=0
    +ellps=bessel`.split(/\s+/);
  const [command, options, line] = zone
    ? ["cct", ["-d", "6", ...gaussKrueger], ([lon, lat]) => `${lon} ${lat} 0 0\n`]
    : ["cs2cs", ["-f", "%.6f", "EPSG:4258", `EPSG:${system.code}`], ([lon, lat]) => `${lat} ${lon}\n`];
  const output = execFileSync(command, options, { input: places.map(line).join("") });
  const lines = String(output).trim().split("\n");
  return lines.map((line) => line.trim().split(/\s+/).slice(0, 2).map(Number));
}
