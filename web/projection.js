// Projects the conversion's places (longitude and latitude, taken as ETRS89) into a system of
// systems.js with proj4: UTM on GRS 80; Gauß-Krüger on Bessel's ellipsoid, the datum through the
// BeTA2007 grid (NTv2), which comes as bytes.
import proj4 from "proj4";
import { inGrid } from "./systems.js";

const definition = (system) =>
  system.utm
    ? `+proj=utm +zone=${system.utm} +ellps=GRS80 +units=m +no_defs`
    : `+proj=tmerc +lat_0=0 +lon_0=${3 * system.gaussKrueger} +k=1 +x_0=${system.gaussKrueger * 1e6 + 500000} ` +
      "+y_0=0 +ellps=bessel +nadgrids=@BETA2007 +units=m +no_defs";

let gridLoaded = false;

// A function from [longitude, latitude] to the system's two coordinates; null for a place
// Gauß-Krüger refuses, beyond the grid, and for one the projection cannot reach (a quarter of
// the earth away from the zone). `grid` is BETA2007.gsb's bytes (an ArrayBuffer).
export function projector(system, grid) {
  if (!system.utm && !system.gaussKrueger) return (place) => place;
  if (system.gaussKrueger && !gridLoaded) {
    proj4.nadgrid("BETA2007", grid);
    gridLoaded = true;
  }
  const { forward } = proj4("+proj=longlat +ellps=GRS80 +no_defs", definition(system));
  return (place) => {
    if (system.gaussKrueger && !inGrid(place)) return null;
    const plane = forward(place);
    return plane.every(Number.isFinite) ? plane : null;
  };
}
