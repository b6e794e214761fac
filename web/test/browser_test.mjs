// The web edition in headless Chromium, as the hosted site and as the single file opened from
// disk, against what the console program makes of the same sources. Run after the web build.
import { after, before, describe, test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { fileURLToPath } from "node:url";
import { bytes, expected, largeSource, readCases, targetPlaces, unzipped } from "./cases.mjs";
import { byProj } from "./proj.mjs";
import { randomNumbers } from "./random.mjs";
import { systems, WGS84 } from "../systems.js";
import { fileRows, launchChromium, memoryGrowth, openPage } from "./site.mjs";

const repository = new URL("../../", import.meta.url);
const example = fs.readFileSync(new URL("examples/survey.bcr", repository));
const axe = fs.readFileSync(new URL("web/node_modules/axe-core/axe.min.js", repository), "utf8");
const browser = await launchChromium();
const scratchRoot = fs.mkdtempSync(join(tmpdir(), "kalmira-web-"));
after(async () => {
  await browser.close();
  fs.rmSync(scratchRoot, { recursive: true });
});

const scratch = (name) => join(fs.mkdtempSync(join(scratchRoot, "t")), name);
const source = (name, content) => ({ name, mimeType: "application/octet-stream", buffer: Buffer.from(content) });
const texts = (locator) => locator.evaluateAll((items) => items.map((item) => item.textContent));
const markers = (page) => page.locator(".leaflet-marker-pane path, .leaflet-overlay-pane path.leaflet-interactive");
const message = (page) => page.locator("#result .message").filter({ hasText: /./ });
const pathOf = ({ path }) => path;
// Lets the page go on with all it held back (site.mjs), and hold nothing more.
const release = (page) => page.evaluate(() => (globalThis.holding = globalThis.holdingReads = false) || release());

// Chooses a file in the page's picker and waits for the page to show what became of it.
async function choose(page, file) {
  await page.setInputFiles("#source-file", file);
  return message(page).textContent({ timeout: 60000 });
}

// Clicks what offers a file; gives the file's offered name and where it was saved.
async function download(page, what = "#result .downloads :is(a, button)") {
  const [file] = await Promise.all([page.waitForEvent("download"), page.locator(what).click()]);
  const path = scratch(file.suggestedFilename());
  await file.saveAs(path);
  return { name: file.suggestedFilename(), path };
}

const exportOf = (page, format) => download(page, `#result [data-format=${format}]`);

async function accessibilityViolations(page) {
  await page.evaluate(axe);
  const { violations } = await page.evaluate(() => globalThis.axe.run());
  return violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(" ")}`);
}

// Drops files and folders on the page as a person drags them from the desktop.
async function drop(page, paths) {
  const session = await page.context().newCDPSession(page);
  const { x, y, width, height } = await page.locator("#drop-zone").boundingBox();
  const at = { x: x + width / 2, y: y + height / 2, data: { items: [], files: paths, dragOperationsMask: 19 } };
  for (const type of ["dragEnter", "dragOver", "drop"]) await session.send("Input.dispatchDragEvent", { type, ...at });
}

// Sources as a fuzzer makes them: the seeds of the conversion's fuzz target, their bytes flipped,
// cut and repeated, and points with numbers far off the map.
function generatedSources(count) {
  const corpus = new URL("fuzz/corpus/convert/", repository);
  const seeds = fs.readdirSync(corpus).map((name) => fs.readFileSync(new URL(name, corpus)));
  const next = randomNumbers(20261207);
  const numbers = ["7.2e37", "-7.2e37", "1e400", "-inf", "nan", "0x1p1023", "20037508.34", "1e9", "-1e9", "", "x"];
  const number = () => numbers[next(numbers.length)];
  return Array.from({ length: count }, () => {
    const seed = Buffer.from(seeds[next(seeds.length)]);
    for (let flips = next(8); flips > 0; --flips) seed[next(seed.length)] = next(256);
    const points = Array.from({ length: next(120) }, () => `P=${number()},${number()}\r\n`).join("");
    const rest = seed.subarray(next(seed.length + 1)).subarray(0, 400);
    return Buffer.concat([seed.subarray(0, next(seed.length + 1)), Buffer.from(`[COORDINATES]\r\n${points}`), rest]);
  });
}

// A day's sources in a folder with a subfolder, in the page's order, each with its target's name
// and what the console program makes of it: generated sources, two whose targets share a name (up
// to its first dot), one changed after it was chosen (so unreadable), one of 100 MB, a note and a
// photo named as sources, and a note the folder pickers pass over (they give only .bcr files).
function dayFolder() {
  const folder = scratch("tag");
  const sources = [
    ...generatedSources(12).map((content, i) => ({ path: `erzeugt/${i + 1}.bcr`, content })),
    { path: "messung.bcr", content: example },
    { path: "messung.v2.bcr", content: example.subarray(0, 200), name: "messung (2).asc" },
    { path: "kaputt.bcr", content: example },
    { path: "gross.bcr", content: largeSource(100) },
    { path: "notizen.bcr", content: "Montag: Messung am Dom\r\n" },
    { path: "foto.bcr", content: Buffer.from("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", "latin1") },
  ];
  for (const { path, content } of [...sources, { path: "notiz.txt", content: "keine Quelle" }]) {
    fs.mkdirSync(join(folder, path, ".."), { recursive: true });
    fs.writeFileSync(join(folder, path), content);
  }
  for (const s of sources) {
    Object.assign(s, expected(s.content));
    s.name = s.target && `tag/${s.name ?? s.path.replace(/\.bcr$/, ".asc")}`;
    s.path = `tag/${s.path}`;
  }
  const collision = "Zieldatei „messung (2).asc“ statt „messung.asc“: „messung.asc“ entsteht schon aus „messung.bcr“.";
  sources.find(({ path }) => path === "tag/messung.v2.bcr").hints.push(collision);
  const byPath = new Intl.Collator("de", { numeric: true });
  return { folder, sources: sources.sort((a, b) => byPath.compare(a.path, b.path)) };
}

for (const fromDisk of [false, true]) {
  describe(fromDisk ? "the single file, a day's folder chosen" : "the site, a day's folder dropped", () => {
    let page, outside, tiles, errors, sources, rows, refusedDrop;
    before(async () => {
      ({ page, outside, tiles, errors } = await openPage(browser, { fromDisk }));
      let folder;
      ({ folder, sources } = dayFolder());
      if (fromDisk) {
        await drop(page, [folder]);
        refusedDrop = await message(page).textContent();
      }
      const started = await page.evaluate(() => (globalThis.holding = true) && conversions);
      await (fromDisk ? page.setInputFiles("#source-folder", folder) : drop(page, [folder]));
      await page.waitForFunction((before) => conversions > before, started);
      fs.utimesSync(join(folder, "kaputt.bcr"), new Date(0), new Date(0)); // changed since chosen: not readable
      await release(page);
      await page.locator("#result .files-box").waitFor({ timeout: 120000 });
      rows = await page.evaluate(fileRows);
    });
    after(() => page.context().close());

    if (fromDisk) {
      test("a dropped folder, which a page from disk may not open, is named with the way to open it", () => {
        const refusal = "Den gezogenen Ordner „tag“ öffnet der Browser hier nicht; über „Ordner auswählen“ geht es.";
        assert.equal(refusedDrop, refusal);
      });
    }
    test("the summary counts the converted files, those with hints, the non-sources and the unreadable", async () => {
      const converted = sources.filter(({ target, path }) => target && path !== "tag/kaputt.bcr");
      const withHints = converted.filter(({ hints }) => hints.length > 0).length;
      const noSource = sources.length - converted.length - 1;
      const summary = `${converted.length} umgerechnet, ${withHints} davon mit Hinweisen; ${noSource} keine Quelldatei`;
      assert.equal(await message(page).textContent(), `${sources.length} Dateien: ${summary}; 1 nicht lesbar`);
    });
    test("each row: its source, its target's name, and the hints the console program gives", () => {
      assert.deepEqual(rows.map(pathOf), sources.map(pathOf));
      rows.forEach((row, i) => {
        const { target, name, hints, path } = sources[i];
        if (path === "tag/kaputt.bcr") {
          return assert.deepEqual([row.target, row.message], ["–", "Fehler beim Lesen von „tag/kaputt.bcr“"]);
        }
        assert.deepEqual([row.target, row.notes], [target ? name : "keine Quelldatei", hints], path);
      });
    });
    test("the ZIP holds every target, as the console program writes it, and no other file", async () => {
      const targets = sources.filter(({ target, path }) => target && path !== "tag/kaputt.bcr");
      const wanted = Object.fromEntries(targets.map(({ name, target }) => [name, target]));
      assert.deepEqual(unzipped((await download(page)).path), wanted);
    });
    test("rows that need a look stand out and come first on request", async () => {
      const needsLook = ({ target, hints, path }) => !target || hints.length > 0 || path === "tag/kaputt.bcr";
      const standOut = rows.map(({ attention }) => attention);
      assert.deepEqual(standOut, sources.map(needsLook));
      await page.locator("#result .hints-first").check();
      const order = await texts(page.locator("#result .files tbody tr td:first-child"));
      const [first, rest] = [sources.filter(needsLook), sources.filter((s) => !needsLook(s))];
      assert.deepEqual(order, [...first, ...rest].map(pathOf));
    });
    test("the worker is bound by the page's policy: its fetch is refused", async () => {
      const fetched = () => fetch("https://example.org/").catch(() => "refused");
      assert.equal(await page.workers()[0].evaluate(fetched), "refused");
    });
    test("no request leaves the page until the online map is asked for; then only tiles, for the session", async () => {
      assert.ok((await page.locator(".leaflet-overlay-pane path:not(.leaflet-interactive)").count()) > 100); // the base map
      assert.deepEqual([outside, tiles], [[], []]);
      await page.locator("#load-tiles").click();
      await page.locator(".leaflet-tile-loaded").first().waitFor();
      const attribution = page.locator(".leaflet-control-attribution");
      assert.match(await attribution.textContent(), /© OpenStreetMap-Mitwirkende/);
      const link = await attribution.locator("a[href='https://www.openstreetmap.org/copyright']").count();
      assert.deepEqual([tiles.length > 0, link], [true, 1]);
      await page.reload();
      await page.locator(".leaflet-tile-loaded").first().waitFor();
      assert.deepEqual([await page.locator("#online-map").isVisible(), outside, errors], [false, [], []]);
    });
  });
}

describe("several files at once", () => {
  let page, errors;
  before(async () => {
    ({ page, errors } = await openPage(browser));
    await choose(page, chosen("mehrere").files);
  });
  after(() => page.context().close());

  test("each file's markers in its colour, as its legend shows it; points off the map only in the table", async () => {
    const style = (locator, property) =>
      locator.evaluateAll((all, p) => all.map((e) => getComputedStyle(e)[p]), property);
    const colours = await style(page.locator("#legend .swatch"), "backgroundColor");
    const fills = await style(markers(page), "fill");
    assert.deepEqual(await texts(page.locator("#legend li")), ["nord.bcr", "survey.bcr", "weit.bcr"]);
    const filled = (colour) => fills.filter((fill) => fill === colour).length;
    assert.deepEqual(colours.map(filled), [2, 3, 1]);
    const hints = await texts(page.locator("#result .files tbody tr:nth-child(3) li"));
    assert.match(hints.join(), /^Punkte 1–4 liegen nicht auf der Karte/);
  });
  test("the points table shows all files with a column naming the file, or one chosen file", async () => {
    assert.equal(await page.locator(".points tbody tr").count(), 10);
    await page.selectOption(".table-choice", { label: "weit.bcr" });
    const columns = ["Nr.", "Länge", "Breite", "Beschreibung 1", "Beschreibung 2", "Beschreibung 3"];
    assert.deepEqual(await texts(page.locator(".points th")), columns);
    assert.equal(await page.locator(".points tbody tr").count(), 5);
    await page.selectOption(".table-choice", { label: "Alle Dateien" });
  });
  test("a marker's popup names its file and point; the map has a scale", async () => {
    await markers(page).nth(1).click();
    assert.equal(await page.locator(".leaflet-popup-content").textContent(), "nord.bcr · 2: Nord, 2");
    assert.match(await page.locator(".leaflet-control-scale-line").textContent(), /^\d+ k?m$/);
  });
  test("axe-core finds nothing; the README's picture", async () => {
    await page.locator(".leaflet-popup-close-button").click();
    await page.locator(".leaflet-popup").waitFor({ state: "detached" });
    await page.locator("#result .files summary").first().click(); // the hints of the file with a hint
    assert.deepEqual([await accessibilityViolations(page), errors], [[], []]);
    const picture = fileURLToPath(new URL("build/web-test/web-edition.png", repository));
    await page.screenshot({ path: picture, fullPage: true });
  });
});

test("one description piece of 256 MiB: the page stays responsive and small, the target whole", async () => {
  const { page } = await openPage(browser);
  const path = scratch("zeile.bcr");
  fs.writeFileSync(path, largeSource(256, true));
  const growth = memoryGrowth();
  await page.evaluate(() => (longestTask = 0));
  await choose(page, path);
  assert.ok((await page.evaluate(() => longestTask)) <= 200, "a task of the page's took longer than 200 ms");
  assert.ok(growth() <= 512, `the page grew by ${growth().toFixed(0)} MiB`);
  assert.equal(await page.locator(".points tbody td:nth-child(4)").textContent(), `${"x".repeat(200)}…`);
  assert.ok(fs.readFileSync((await download(page)).path).equals(expected(fs.readFileSync(path)).target));
  await page.context().close();
});

describe("the last choice wins", () => {
  let page, errors, folder;
  before(async () => {
    ({ page, errors } = await openPage(browser));
    folder = scratch("viele");
    fs.mkdirSync(folder);
    fs.writeFileSync(join(folder, "1.bcr"), example);
    for (let i = 2; i <= 2000; ++i) fs.linkSync(join(folder, "1.bcr"), join(folder, `${i}.bcr`));
  });
  after(() => page.context().close());
  // Drops the folder and holds its reading, and what it would convert, until `settled()`.
  const reading = async () => {
    await page.evaluate(() => (globalThis.holding = globalThis.holdingReads = true));
    await drop(page, [folder]);
    await page.locator("#share", { hasText: /^Ordner wird gelesen: / }).waitFor({ timeout: 300000 });
  };
  const settled = async () => {
    await release(page);
    await page.waitForFunction(() => readsRunning === 0);
    return [await message(page).textContent(), await page.evaluate(() => conversions)];
  };

  test("a file chosen while a folder is read is what the page shows, and the folder is never converted", async () => {
    await reading();
    await page.setInputFiles("#source-file", source("einzeln.bcr", example));
    assert.deepEqual(await settled(), ["„einzeln.bcr“ umgerechnet in „einzeln.asc“", 1]);
  });
  test("a folder's reading can be cancelled", async () => {
    await reading();
    await page.locator("#cancel").click();
    assert.deepEqual(await settled(), ["Abgebrochen; nichts wurde umgerechnet", 1]);
  });
  test("a folder read to its end is converted; every object URL goes with its result", async () => {
    await drop(page, [folder]);
    await page.locator("#result .files-box").waitFor({ timeout: 120000 });
    assert.equal(await message(page).textContent(), "2.000 Dateien: 2.000 umgerechnet");
    await download(page); // the ZIP: one more URL, for as long as the result stands
    assert.equal(await page.evaluate(() => aliveUrls()), 3);
    await choose(page, source("einzeln.bcr", example)); // its target's link
    assert.deepEqual([await page.evaluate(() => aliveUrls()), errors], [3, []]);
  });
});

// A point's place as the conversion gives it in double precision, for its easting and northing
// texts: as the coordinate table has it, worked out apart.
const placeOf = new Map(
  readCases("coordinates.txt").map(([, [text, , , longitude, latitude]]) => [text, [longitude, latitude]]),
);
const exactPlace = ([easting, northing]) => [Number(placeOf.get(easting)[0]), Number(placeOf.get(northing)[1])];
// The sources of a choice in tests/cases/page_sources.txt, in reverse, and the points the exports
// hold (those on the map), in the page's order: each with its source, number, easting and northing,
// pieces (as text), the target's digits, and its layer and label in the DXF.
const pageSources = readCases("page_sources.txt");
function chosen(choice) {
  const rows = pageSources.filter(([, [name]]) => name === choice);
  const points = rows.map(([, [, source, encoding, number, easting, northing, ...rest]]) => {
    const [pieces, [onMap, layer, label]] = [rest.slice(0, 3), rest.slice(3)];
    const text = (piece) => Buffer.from(piece, "latin1").toString(encoding === "utf-8" ? "utf8" : "latin1");
    const point = { source, number: Number(number), coordinates: [easting, northing], bytes: pieces, layer, label };
    return { ...point, pieces: pieces.map(text), onMap: onMap === "ja" };
  });
  const files = [...new Set(points.map((p) => p.source))].map((name) => {
    const own = points.filter((p) => p.source === name);
    const lines = (key) => own.map((p) => `P${p.number}=${p[key].join(",")}\r\n`).join("");
    const content = bytes(`[COORDINATES]\r\n${lines("coordinates")}[DESCRIPTION]\r\n${lines("bytes")}`);
    targetPlaces(content).forEach((digits, i) => (own[i].digits = digits));
    return source(name, content);
  });
  return { files: files.reverse(), points: points.filter((p) => p.onMap) };
}
// What GDAL reads in an export (in a GPX file: its waypoints), as GeoJSON from GDAL's own writer.
const readByGdal = (path) =>
  JSON.parse(
    execFileSync("ogr2ogr", ["-f", "GeoJSON", "/vsistdout/", path, ...(path.endsWith(".gpx") ? ["waypoints"] : [])]),
  ).features;
// What LibreOffice reads in a spreadsheet, formulas evaluated: what its cells show, saved as a
// CSV file and read by GDAL, row by row.
const readByLibreOffice = (path) => {
  const folder = scratch("lo");
  const reading = path.endsWith(".csv") ? ["--infilter=CSV:59,34,76,1,,1031,false,true,false,false,false,-1,true"] : [];
  const writing = ["--convert-to", "csv:Text - txt - csv (StarCalc):59,34,76,1", "--outdir", folder];
  execFileSync("soffice", ["--headless", ...reading, ...writing, path], { env: { ...process.env, HOME: folder } });
  const saved = join(folder, path.replace(/^.*\/|\.\w+$/g, "") + ".csv");
  return readByGdal(saved).map(({ properties }) => Object.values(properties));
};

describe("the exports, as GDAL and LibreOffice read them", () => {
  const { files, points } = chosen("grad");
  // A place read back: within 1e-9° of the double-precision value, and giving the target's digits
  // when rounded to single precision.
  const fits = (values, point) => {
    const exact = exactPlace(point.coordinates);
    const read = values.map((value, i) => [Math.fround(value).toFixed(8), Math.abs(value - exact[i]) <= 1e-9]);
    const wanted = point.digits.map((digits) => [digits, true]);
    assert.deepEqual(read, wanted);
  };
  // Each format: the properties GDAL reads a point's texts from, and the texts the point gives.
  const named = (p) => [`${p.number} ${p.pieces[0]}`, p.pieces.join(", ")];
  // GDAL's CSV reader gives a line break in a quoted field as a line feed.
  const asCsvRead = (text) => text.replace("\r", "\n");
  const neutral = (text) => (/^[=+\-@]/.test(text) ? `'${text}` : text);
  const formats = {
    geojson: [
      ["datei", "punkt", "beschreibung1", "beschreibung2", "beschreibung3"],
      (p) => [p.source, p.number, ...p.pieces],
    ],
    kml: [["Name", "description"], named],
    gpx: [["name", "desc"], named],
    csv: [
      ["Datei", "Punkt", "Beschreibung 1", "Beschreibung 2", "Beschreibung 3"],
      (p) => [p.source, String(p.number), ...p.pieces.map((piece) => neutral(asCsvRead(piece)))],
    ],
  };
  // A point's place: a feature's geometry, or a CSV row's columns.
  const placeOf = ({ geometry, properties: f }) =>
    geometry?.coordinates.slice(0, 2) ?? [f["Länge"], f.Breite].map((value) => Number(value.replace(",", ".")));
  let page, errors;
  const exported = {};
  before(async () => {
    ({ page, errors } = await openPage(browser));
    await choose(page, files);
    for (const format of [...Object.keys(formats), "xlsx"]) {
      const file = await exportOf(page, format);
      assert.equal(file.name, `punkte.${format}`);
      exported[format] = file.path;
    }
  });
  after(() => page.context().close());

  for (const [format, [fields, wanted]] of Object.entries(formats)) {
    test(`${format}: the points where the source puts them, the source's texts`, () => {
      const features = readByGdal(exported[format]);
      assert.equal(features.length, points.length);
      features.forEach((feature, i) => {
        fits(placeOf(feature), points[i]);
        const read = fields.map((field) => feature.properties[field]);
        assert.deepEqual(read, wanted(points[i]));
      });
    });
  }
  test("spreadsheets: the CSV's texts run no formula, the XLSX keeps every text as written", () => {
    const [csv, xlsx] = [exported.csv, exported.xlsx].map(readByLibreOffice);
    assert.deepEqual(csv[3].slice(4), points[3].pieces.map(neutral));
    const read = xlsx.map((row) => [row[0], row[1], ...row.slice(4)]);
    const wanted = points.map((p) => [p.source, String(p.number), ...p.pieces.map(asCsvRead)]);
    assert.deepEqual(read, wanted);
    fits(xlsx[0].slice(2, 4).map(Number), points[0]);
  });
  test("the table shows the UTF-8 source's pieces as they are meant", async () => {
    const cells = await texts(page.locator(".points tbody tr:last-child td"));
    assert.deepEqual([cells.slice(4), errors], [["Förde", "Hafen", "Kiel"], []]);
  });
});

for (const fromDisk of [false, true]) {
  describe(`the plane systems: CSV and DXF for CAD and the survey office${fromDisk ? ", the single file" : ""}`, () => {
    const { files, points } = chosen("eben");
    const places = points.map(({ coordinates }) => exactPlace(coordinates));
    const keys = (list) => list.map(({ key }) => key);
    points.forEach((point) => (point.key = `${point.source} ${point.number}`));
    const exported = {};
    let page, errors;
    before(async () => {
      ({ page, errors } = await openPage(browser, { fromDisk }));
      await choose(page, files);
    });
    after(() => page.context().close());
    // The CSV and DXF in `system`, as the page offers them.
    const exportIn = async (system) => {
      await page.selectOption("#result .system", String(system.code));
      const suffix = system === WGS84 ? "" : `_EPSG${system.code}`;
      const [csv, dxf] = [await exportOf(page, "csv"), await exportOf(page, "dxf")];
      assert.deepEqual([csv.name, dxf.name], [`punkte${suffix}.csv`, `punkte${suffix}.dxf`]);
      return (exported[system.code] = { csv: csv.path, dxf: dxf.path });
    };
    const near = (place, wanted, tolerance) => Math.hypot(place[0] - wanted[0], place[1] - wanted[1]) <= tolerance;

    for (const system of systems) {
      test(`${system.name}: the CSV within 1 mm of PROJ, the DXF's points on it, each with its text and layer`, async () => {
        const { csv, dxf } = await exportIn(system);
        const [wanted, tolerance] = system === WGS84 ? [places, 1e-9] : [byProj(system, places), 0.001];
        const rows = readByGdal(csv).map(({ properties: p }) => ({
          key: `${p.Datei} ${p.Punkt}`,
          place: system.axes.map((axis) => Number(p[axis].replace(",", "."))),
        }));
        assert.deepEqual(keys(rows), keys(points));
        rows.forEach((row, i) => assert.ok(near(row.place, wanted[i], tolerance), `${row.key}: ${row.place}`));
        const features = readByGdal(dxf);
        const [drawn, texts] = [features.filter((f) => !f.properties.Text), features.filter((f) => f.properties.Text)];
        assert.deepEqual(
          [drawn.map((f) => f.properties.Layer), texts.map((f) => [f.properties.Layer, f.properties.Text])],
          [points.map(({ layer }) => layer), points.map(({ layer, label }) => [layer, label])],
        );
        drawn.forEach((f, i) => assert.ok(near(f.geometry.coordinates, rows[i].place, tolerance), rows[i].key));
      });
    }
    test("LibreOffice reads the CSV's every text and number as written", () => {
      const asNumbers = (row) => row.map((cell, i) => ([2, 3].includes(i) ? Number(cell.replace(",", ".")) : cell));
      const written = readByGdal(exported[25832].csv).map(({ properties }) => Object.values(properties));
      assert.deepEqual(readByLibreOffice(exported[25832].csv).map(asNumbers), written.map(asNumbers));
    });
    test("the suggested zone, and the points outside the chosen one said", async () => {
      const options = await texts(page.locator("#result .system option"));
      const suggested = options.filter((option) => option.endsWith("(Vorschlag)"));
      assert.deepEqual(suggested, ["ETRS89 / UTM Zone 32N (Vorschlag)", "DHDN / Gauß-Krüger Zone 3 (Vorschlag)"]);
      await page.selectOption("#result .system", "25832");
      assert.deepEqual(await texts(page.locator("#result .system-notes li")), [
        "Die Mitte der Punkte liegt in ETRS89 / UTM Zone 32N und DHDN / Gauß-Krüger Zone 3.",
        "1 Punkt liegt außerhalb von ETRS89 / UTM Zone 32N (6° bis 12° östlicher Länge).",
      ]);
    });
    test("one survey's DXF is named after its target; LibreCAD draws it (the web edition's picture)", async () => {
      await choose(page, files.at(-1)); // kassel.bcr
      await page.selectOption("#result .system", "25832");
      const dxf = await exportOf(page, "dxf");
      assert.equal(dxf.name, "kassel_EPSG25832.dxf");
      const folder = scratch("cad");
      fs.mkdirSync(folder, { mode: 0o700 });
      const env = { ...process.env, HOME: folder, XDG_RUNTIME_DIR: folder, QT_QPA_PLATFORM: "offscreen" };
      execFileSync("librecad", ["dxf2pdf", "-a", "-t", folder, dxf.path], { env });
      const pdf = join(folder, dxf.name.replace(/\.dxf$/, ".pdf")); // named as the drawing
      const picture = fileURLToPath(new URL("build/web-test/dxf", repository));
      execFileSync("pdftoppm", ["-png", "-r", "100", "-singlefile", pdf, picture]);
      // Drawn: the page has ink, not only paper (a grey picture: a header, then a byte a pixel).
      const grey = execFileSync("pdftoppm", ["-gray", "-r", "72", "-singlefile", pdf]);
      const header = grey.toString("latin1", 0, 32).match(/^P5\s+\d+\s+\d+\s+\d+\s/)[0].length;
      const inked = grey.subarray(header).some((value) => value < 200);
      assert.ok(inked, "the page is empty");
    });
    test("Gauß-Krüger beyond its grid is refused, with the grid's area", async () => {
      await choose(page, chosen("paris").files);
      await page.selectOption("#result .system", "31467");
      assert.deepEqual(await texts(page.locator("#result .system-notes li")), [
        "Die Mitte der Punkte liegt in DHDN / Gauß-Krüger Zone 2.", // 5,9°: between Paris and Kassel
        "1 Punkt liegt außerhalb von DHDN / Gauß-Krüger Zone 3 (7,5° bis 10,5° östlicher Länge).",
        "1 Punkt liegt außerhalb des BeTA2007-Gitters (5,5° bis 15,67° Ost, 47° bis 55,3° Nord): " +
          "Gauß-Krüger wäre dort geraten, daher gibt es CSV und DXF so nicht.",
      ]);
      const disabled = (format) => page.locator(`#result [data-format=${format}]`).isDisabled();
      assert.deepEqual(await Promise.all(["csv", "dxf", "geojson"].map(disabled)), [true, true, false]);
    });
    test("the choice lasts for the session", async () => {
      await page.reload();
      await choose(page, files);
      assert.deepEqual([await page.locator("#result .system").inputValue(), errors], ["31467", []]);
    });
  });
}

describe("on a phone, 390 pixels wide", () => {
  let page, errors, path;
  const name = "sehr-langer-dateiname-".repeat(4);
  before(async () => {
    ({ page, errors } = await openPage(browser, { viewport: { width: 390, height: 844 } }));
    path = scratch(`${name}.bcr`);
    const descriptions = `P1=${"Brandenburger Tor ".repeat(8)},Pariser Platz,Berlin\r\nP2=a,${"KölnerDomplatte".repeat(6)},c\r\n`;
    const coordinates = "P=1487533.05,6886305.18\r\n".repeat(4);
    fs.writeFileSync(path, `[COORDINATES]\r\n${coordinates}[DESCRIPTION]\r\n${descriptions}`, "latin1");
    assert.equal(await choose(page, path), `„${name}.bcr“ umgerechnet in „${name}.asc“`);
  });
  after(() => page.context().close());

  test("nothing scrolls sideways, the map keeps its height, no legend for one file, axe-core finds nothing", async () => {
    const shown = [await page.locator("#result .count").textContent(), await markers(page).count()];
    shown.push(await page.locator("#legend").isVisible(), (await page.locator("#map").boundingBox()).height >= 250);
    shown.push(await page.evaluate(() => document.documentElement.scrollWidth), await accessibilityViolations(page));
    assert.deepEqual(shown, ["2 Punkte", 2, false, true, 390, []]);
  });
  test("a table's rows stand as cards, each value named, in a box that does not scroll sideways", async () => {
    const shown = await page.evaluate(() => {
      const [box, cell] = [".table-box", ".points tbody td:nth-child(2)"].map((s) => document.querySelector(s));
      const card = `${getComputedStyle(cell, "::before").content} ${cell.getBoundingClientRect().width > 300}`;
      return [box.scrollWidth <= box.clientWidth, box.querySelector("tbody").rows.length, card];
    });
    assert.deepEqual(shown, [true, 2, '"Länge: " true']);
  });
  test("each picker shows its own focus", async () => {
    await page.locator("#source-file").focus();
    await page.keyboard.press("Tab");
    const outline = (selector) => page.locator(selector).evaluate((e) => getComputedStyle(e).outlineStyle);
    const pickers = ["[for=source-file]", "[for=source-folder]", "#drop-zone"];
    assert.deepEqual(await Promise.all(pickers.map(outline)), ["none", "solid", "none"]);
  });
  test("the same file chosen again clears the page at once; changed meanwhile, it leaves nothing", async () => {
    assert.equal(await page.locator("#source-file").inputValue(), ""); // the emptied picker takes the file again
    await page.evaluate(() => (globalThis.holding = true));
    await page.setInputFiles("#source-file", path);
    assert.deepEqual(await texts(page.locator("#result *, .points *, .leaflet-interactive")), []);
    fs.utimesSync(path, new Date(0), new Date(0)); // changed since it was chosen: it cannot be read
    await release(page);
    assert.equal(await message(page).textContent(), `Fehler beim Lesen von „${name}.bcr“`);
    const shown = [await markers(page).count(), await page.locator("#result .downloads").isVisible(), errors];
    assert.deepEqual(shown, [0, false, []]);
  });
});

test("tiles that cannot be loaded are said", async () => {
  const { page } = await openPage(browser, { tilesFail: true });
  await page.locator("#load-tiles").click();
  await page.locator("#map-message").filter({ hasText: /./ }).waitFor();
  assert.match(await page.locator("#map-message").textContent(), /^Kartenkacheln lassen sich nicht laden/);
  await page.context().close();
});
