// The plane systems of the CSV and DXF exports against PROJ (Debian's proj-bin) for 1000
// places over Germany and its neighbours, from the same BeTA2007 grid; the zone suggested and the
// doubts said for a few sets of places.
import { describe, test } from "node:test";
import assert from "node:assert/strict";
import { readFileSync } from "node:fs";
import proj4 from "proj4";
import { projector } from "../projection.js";
import { doubts, gridArea, inGrid, suggested, systems, WGS84 } from "../systems.js";
import { readCases } from "./cases.mjs";
import { byProj } from "./proj.mjs";
import { randomNumbers } from "./random.mjs";

const grid = new Uint8Array(readFileSync("/usr/share/proj/BETA2007.gsb")).buffer; // the file's bytes alone

const next = randomNumbers(20261207);
const between = (low, high) => low + ((high - low) * next(1e9)) / 1e9;
const places = Array.from({ length: 1000 }, () => [between(2, 20), between(44, 58)]);

describe("the plane systems as PROJ computes them", () => {
  for (const system of systems.filter((s) => s !== WGS84)) {
    test(`${system.name}: within 1 mm of PROJ${system.gaussKrueger ? " inside the grid, refused beyond it" : ""}`, () => {
      const project = projector(system, grid);
      const [inside, beyond] = system.gaussKrueger
        ? [places.filter(inGrid), places.filter((p) => !inGrid(p))]
        : [places, []];
      for (const place of beyond) assert.equal(project(place), null, `${place}`);
      const wanted = byProj(system, inside);
      assert.equal(wanted.length, inside.length);
      inside.forEach((place, i) => {
        const got = project(place);
        const apart = Math.hypot(got[0] - wanted[i][0], got[1] - wanted[i][1]);
        assert.ok(apart <= 0.001, `${place}: ${got} is ${apart} m from ${wanted[i]}`);
      });
    });
  }
  test("a place a quarter of the earth from the zone's meridian gives no coordinates, not NaN", () => {
    assert.deepEqual([projector(systems[1])([99, 0]), projector(systems[2])([-75, 0])], [null, null]);
  });
  test("the grid's area is the grid file's own", () => {
    // Its corner and its far side, in degrees; NTv2 counts longitudes positive to the west.
    const [{ ll, del, lim }] = proj4.nadgrid("area", grid).subgrids;
    const degrees = (radians) => Math.round(((radians * 180) / Math.PI) * 1e6) / 1e6;
    const [corner, far] = [ll, ll.map((value, i) => value + del[i] * (lim[i] - 1))].map((p) => p.map(degrees));
    const area = { west: -far[0], east: -corner[0], south: corner[1], north: far[1] };
    assert.deepEqual(area, { ...gridArea, east: degrees((gridArea.east * Math.PI) / 180) });
  });
});

// Numbers a case gives: "; " parts a list, " " parts the numbers in each.
const listed = (text) => (text ? text.split("; ").map((part) => part.split(/:? /).map(Number)) : []);
describe("the zone suggested, and the points outside", () => {
  for (const [, [name, places, suggestion, doubted]] of readCases("zones.txt")) {
    test(name, () => {
      const list = listed(places);
      const codes = suggested(list).map(({ code }) => code);
      assert.deepEqual(codes, listed(suggestion).flat());
      for (const [code, outside, beyondGrid] of listed(doubted)) {
        const system = systems.find((s) => s.code === code);
        assert.deepEqual(doubts(system, list), { outside, beyondGrid }, String(code));
      }
    });
  }
});
