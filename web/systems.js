// The coordinate systems the CSV and DXF exports can be in: WGS 84 as the conversion gives it, and
// the plane systems survey offices and CAD work in: ETRS89 / UTM today, DHDN / Gauß-Krüger in
// older maps and cadastre files. Here only what the page needs to offer them: their names, their
// usual areas, the zone the points' middle falls in; the worker projects (projection.js).

// The BeTA2007 grid's area (DHDN to ETRS89 for Germany): Gauß-Krüger is given only inside it.
export const gridArea = { west: 5.5, east: 15 + 2 / 3, south: 47, north: 55.3 };

// Each system: its EPSG code, its German name, its two coordinates' names, and the band of
// longitudes it is meant for (a zone; all of them for WGS 84).
export const systems = [
  { code: 4326, name: "WGS 84 (Länge, Breite)", axes: ["Länge", "Breite"], west: -180, east: 180 },
  ...[32, 33].map((zone) => ({
    code: 25800 + zone,
    name: `ETRS89 / UTM Zone ${zone}N`,
    axes: ["Ostwert", "Nordwert"],
    utm: zone,
    west: 6 * zone - 186,
    east: 6 * zone - 180,
  })),
  ...[2, 3, 4, 5].map((zone) => ({
    code: 31464 + zone,
    name: `DHDN / Gauß-Krüger Zone ${zone}`,
    axes: ["Rechtswert", "Hochwert"],
    gaussKrueger: zone,
    west: 3 * zone - 1.5,
    east: 3 * zone + 1.5,
  })),
];
export const WGS84 = systems[0];
export const systemOf = (code) => systems.find((system) => system.code === Number(code)) ?? WGS84;

// The systems whose zone the points' middle (their median longitude, which a far point does not
// move) falls in; none for no points.
export function suggested(places) {
  if (places.length === 0) return [];
  const longitudes = places.map(([longitude]) => longitude).sort((a, b) => a - b);
  const half = longitudes.length / 2;
  // The median as the hints take it: of an even number, the mean of the two middle values.
  const middle = longitudes.length % 2 ? longitudes[Math.floor(half)] : (longitudes[half - 1] + longitudes[half]) / 2;
  return systems.filter((system) => system !== WGS84 && system.west <= middle && middle < system.east);
}

const inside = (value, low, high) => low <= value && value <= high;
export const inGrid = ([longitude, latitude]) =>
  inside(longitude, gridArea.west, gridArea.east) && inside(latitude, gridArea.south, gridArea.north);

// What is doubtful of `places` ([longitude, latitude] each) in `system`: how many lie outside its
// zone, and (Gauß-Krüger) how many beyond the grid, which it refuses rather than guess.
export function doubts(system, places) {
  const outside = places.filter(([longitude]) => !inside(longitude, system.west, system.east)).length;
  const beyondGrid = system.gaussKrueger ? places.filter((place) => !inGrid(place)).length : 0;
  return { outside, beyondGrid };
}
