// The web edition in headless Chromium, as the hosted site and as the single file opened from
// disk, against the console program's targets and the core's hints; the single file also in a
// second engine, Firefox ESR, driven by puppeteer-core over WebDriver BiDi. Run after the web build.
import { test, after } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { linkSync, mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, utimesSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { fileURLToPath } from "node:url";
import puppeteer from "puppeteer-core";
import { bytes, conversionCases, readCases } from "./cases.mjs";
import { randomNumbers } from "./random.mjs";
import { launchChromium, openPage, rendererPeak, siteDirectory } from "./site.mjs";

const repository = new URL("../../", import.meta.url);
const example = readFileSync(new URL("examples/survey.bcr", repository));
const axe = readFileSync(new URL("web/node_modules/axe-core/axe.min.js", repository), "utf8");
// Node's TextDecoder reads "windows-1252" as Latin-1; the system's iconv knows the code page.
const fromWindows1252 = (text) => execFileSync("iconv", ["-f", "CP1252", "-t", "UTF-8"], { input: bytes(text) }).toString();
const browser = await launchChromium();
after(async () => {
  await browser.close();
  rmSync(scratchRoot, { recursive: true });
});

const scratchRoot = mkdtempSync(join(tmpdir(), "kalmira-web-"));
const scratch = (name) => join(mkdtempSync(join(scratchRoot, "t")), name);
const source = (name, content) => ({ name, mimeType: "application/octet-stream", buffer: Buffer.from(content) });
const texts = (locator) => locator.evaluateAll((items) => items.map((item) => item.textContent));
const markers = (page) => page.locator(".leaflet-marker-pane path, .leaflet-overlay-pane path.leaflet-interactive");

// Chooses a file in the page's picker and waits for the page to show what became of it.
async function choose(page, file) {
  await page.setInputFiles("#source-file", file);
  await page.locator("#message").filter({ hasText: /./ }).waitFor({ timeout: 60000 });
  return page.locator("#message").textContent();
}

// Clicks a download link; gives the file's offered name and where it was saved.
async function download(page, link = "#download") {
  const [file] = await Promise.all([page.waitForEvent("download"), page.locator(link).click()]);
  const path = scratch(file.suggestedFilename());
  await file.saveAs(path);
  return { name: file.suggestedFilename(), path };
}

// Holds the page's waiting worker busy for a while, so that it reads nothing before then.
const holdWorker = (page) => page.workers().at(-1).evaluate(() => { for (const end = Date.now() + 2000; Date.now() < end;); });

// The target the console program writes for a source.
function consoleTarget(bytesOfSource) {
  const path = scratch("quelle.bcr");
  writeFileSync(path, bytesOfSource);
  execFileSync(fileURLToPath(new URL("build/release/kalmira", repository)), [path, `${path}.asc`], { input: "" });
  return readFileSync(`${path}.asc`);
}

async function noAccessibilityViolation(page, when) {
  await page.evaluate(axe);
  const { violations } = await page.evaluate(() => globalThis.axe.run());
  assert.deepEqual(violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(" ")}`), [], when);
}

// Has the page's worker run as in a browser without promise integration, where it reads the
// file with FileReaderSync.
const withoutPromiseIntegration = () => {
  const PageBlob = Blob;
  globalThis.Blob = class extends PageBlob {
    constructor(parts, options) {
      super(options?.type === "text/javascript" ? ["delete WebAssembly.Suspending;", ...parts] : parts, options);
    }
  };
};

test("a phone's width: nothing scrolls sideways; every choice starts clean, a failed read leaves nothing", async (t) => {
  const { page, errors } = await openPage(browser, { viewport: { width: 390, height: 844 }, test: t });
  const name = "sehr-langer-dateiname-".repeat(4);
  const path = scratch(`${name}.bcr`);
  writeFileSync(path, `[COORDINATES]\r\n${"P=1487533.05,6886305.18\r\n".repeat(4)}[DESCRIPTION]\r\n` +
                      `P1=${"Brandenburger Tor ".repeat(8)},Pariser Platz,Berlin\r\nP2=a,${"KölnerDomplatte".repeat(6)},c\r\n`, "latin1");
  assert.equal(await choose(page, path), `Konvertierung von «${name}.bcr» nach «${name}.asc»`);
  assert.deepEqual([await page.locator("#count").textContent(), await markers(page).count()], ["2 Punkte", 2]);  // as described
  assert.equal(await page.evaluate(() => document.documentElement.scrollWidth), 390);
  assert.ok((await page.locator("#map").boundingBox()).height >= 250);
  await noAccessibilityViolation(page, "on a phone");
  // The emptied picker lets the same file be chosen again: the page is cleared at once, before it
  // is read (the worker is held busy meanwhile); changed since it was chosen, it cannot be read.
  assert.equal(await page.locator("#source-file").inputValue(), "");
  const busy = holdWorker(page);
  await page.setInputFiles("#source-file", path);
  const shown = await page.evaluate(() => ["#message", "#count", "#hints li", ".leaflet-interactive", "#download[href]", "#points td"]
    .map((selector) => [...document.querySelectorAll(selector)].map((element) => element.textContent).join("")));
  utimesSync(path, new Date(0), new Date(0));
  await busy;
  assert.deepEqual(shown, ["", "", "", "", "", ""]);
  await page.locator("#message").filter({ hasText: /./ }).waitFor();
  assert.equal(await page.locator("#message").textContent(), `Fehler beim Lesen von «${name}.bcr»`);
  assert.deepEqual([await markers(page).count(), await page.locator("#download").isVisible()], [0, false]);
  assert.deepEqual(errors, []);
});

// Sources as a fuzzer makes them: the seeds of the conversion's fuzz target, their bytes flipped,
// cut and repeated, and points with numbers far off the map.
function generatedSources(count) {
  const corpus = new URL("fuzz/corpus/convert/", repository);
  const seeds = readdirSync(corpus).map((name) => readFileSync(new URL(name, corpus)));
  const next = randomNumbers(20261207);
  const numbers = ["7.2e37", "-7.2e37", "1e400", "-inf", "nan", "0x1p1023", "20037508.34", "1e9", "-1e9", "", "x"];
  const number = () => numbers[next(numbers.length)];
  return Array.from({ length: count }, () => {
    const seed = Buffer.from(seeds[next(seeds.length)]);
    for (let flips = next(8); flips > 0; --flips) seed[next(seed.length)] = next(256);
    const points = Array.from({ length: next(120) }, () => `P=${number()},${number()}\r\n`).join("");
    return Buffer.concat([seed.subarray(0, next(seed.length + 1)), Buffer.from(`[COORDINATES]\r\n${points}`),
                          seed.subarray(next(seed.length + 1)).subarray(0, 400)]);
  });
}

// Drops files and folders on the page as a person drags them from the desktop.
async function drop(page, paths) {
  const session = await page.context().newCDPSession(page);
  const zone = await page.locator("#drop-zone").boundingBox();
  const at = { x: zone.x + zone.width / 2, y: zone.y + zone.height / 2, data: { items: [], files: paths, dragOperationsMask: 19 } };
  for (const type of ["dragEnter", "dragOver", "drop"]) await session.send("Input.dispatchDragEvent", { type, ...at });
}

// 100 MB of lines the converter skips, with the sections in the middle.
function largeSource() {
  const half = Buffer.from("REMARK=measured in the field, nothing the converter reads here 0123456789\r\n".repeat(13000 * 50));
  return Buffer.concat([half, Buffer.from("[COORDINATES]\r\nP1=1487533.05,6886305.18\r\n[DESCRIPTION]\r\nP1=a,b,c\r\n[END]\r\n"), half]);
}

// A day's sources in a folder with subfolders: the end-to-end and the hint cases, each case in
// a folder of its own, sources generated as a fuzzer makes them, two sources whose targets
// share a name, one changed after it was chosen (which makes it unreadable), one of 100 MB, and
// a note that is no source. Gives the folder and its sources in the page's order, each with
// what is known of it: its target's name and bytes, its hints.
function dayFolder() {
  const folder = scratch("tag");
  const sources = [
    // A folder gives only its .bcr files; the name up to its first dot names the target.
    ...conversionCases().map((c, i) => ({ path: `fälle/${i + 1}/${c.source}${/\.bcr$/i.test(c.source) ? "" : ".bcr"}`,
                                          content: c.bytes, bytes: c.targetBytes, target: c.derived ? `fälle/${i + 1}/${c.target}` : undefined })),
    ...readCases("hints.txt").map(([line, [text, ...hints]]) => ({ path: `hinweise/${line}.bcr`, content: bytes(text),
                                                                    hints: hints.map(fromWindows1252) })),
    ...generatedSources(12).map((content, i) => ({ path: `erzeugt/${i + 1}.bcr`, content })),
    { path: "messung.bcr", content: example }, { path: "messung.v2.bcr", content: example.subarray(0, 200), target: "messung (2).asc" },
    { path: "kaputt.bcr", content: example }, { path: "gross.bcr", content: largeSource() }];
  for (const { path, content } of [...sources, { path: "notiz.txt", content: "keine Quelle" }]) {
    mkdirSync(join(folder, path, ".."), { recursive: true });
    writeFileSync(join(folder, path), content);
  }
  for (const s of sources) {
    s.bytes ??= consoleTarget(s.content);
    s.target = `tag/${s.target ?? s.path.replace(/\.bcr$/, ".asc")}`;
    s.path = `tag/${s.path}`;
  }
  return { folder, sources: sources.sort((a, b) => new Intl.Collator("de", { numeric: true }).compare(a.path, b.path)) };
}

for (const fromDisk of [false, true]) {
  test(`${fromDisk ? "single file, chosen, FileReaderSync" : "site, dropped, streamed"}: a day's folder, the console program's targets in a ZIP, the hints; no request leaves the page until the online map is asked for`, async (t) => {
    // The single file as a browser without promise integration runs it, reading with FileReaderSync.
    const { page, outside, tiles, errors } = await openPage(browser, { fromDisk, init: fromDisk ? withoutPromiseIntegration : undefined, test: t });
    assert.equal(await page.workers()[0].evaluate(() => typeof WebAssembly.Suspending), fromDisk ? "undefined" : "function");
    await noAccessibilityViolation(page, "before a conversion");
    const { folder, sources } = dayFolder();
    if (fromDisk) {  // a page from disk may not open a dropped folder, and says so
      await drop(page, [folder]);
      await page.locator("#message").filter({ hasText: /./ }).waitFor();
      assert.equal(await page.locator("#message").textContent(), "Ordner «tag» kann hier nicht gelesen werden; bitte über «Ordner auswählen» wählen");
    }
    const busy = holdWorker(page);
    await (fromDisk ? page.setInputFiles("#source-folder", folder) : drop(page, [folder]));
    await page.locator("#reading").waitFor();
    utimesSync(join(folder, "kaputt.bcr"), new Date(0), new Date(0));
    await busy;
    await page.locator("#files-box").waitFor({ timeout: 120000 });
    assert.equal(await page.locator("#message").textContent(), `${sources.length - 1} von ${sources.length} Quelldateien umgerechnet, 1 nicht lesbar`);
    // A row: the source, its target, its points, and its hints one by one (or the message).
    const rows = await page.locator("#files tbody tr").evaluateAll((trs) => trs.map(({ cells }) =>
      [cells[0].textContent, cells[1].textContent, [...cells[3].querySelectorAll("li")].map((li) => li.textContent).join("\n") || cells[3].textContent]));
    assert.deepEqual(rows.map(([path]) => path), sources.map(({ path }) => path));
    // libarchive reads the ZIP, in a locale that can hold the names.
    const zip = (await download(page)).path;
    const unpack = (options, ...names) => execFileSync("bsdtar", [options, zip, ...names], { env: { ...process.env, LC_ALL: "C.UTF-8" } });
    const converted = sources.filter(({ path }) => path !== "tag/kaputt.bcr");
    assert.deepEqual(unpack("-tf").toString().trim().split("\n").sort(), converted.map(({ target }) => target).sort());
    rows.forEach(([path, target, hints], i) => {
      if (path === "tag/kaputt.bcr") return assert.deepEqual([target, hints], ["–", "Fehler beim Lesen von «tag/kaputt.bcr»"]);
      assert.equal(target, sources[i].target);
      assert.ok(unpack("-xOf", target).equals(sources[i].bytes), target);
      if (sources[i].hints) assert.deepEqual(hints, sources[i].hints.join("\n"), path);
    });
    assert.match(rows.find(([path]) => path === "tag/messung.v2.bcr")[2],
                 /^Zieldatei «messung \(2\)\.asc» statt «messung\.asc»: «messung\.asc» entsteht schon aus «messung\.bcr»\.$/m);
    // The worker is bound by the page's policy: its fetch is refused before it is made.
    assert.equal(await page.workers()[0].evaluate(() => fetch("https://example.org/").then(() => "fetched", () => "refused")), "refused");
    assert.ok(await page.locator(".leaflet-overlay-pane path:not(.leaflet-interactive)").count() > 100);  // the base layer
    assert.deepEqual([outside, tiles], [[], []]);
    await page.locator("#load-tiles").click();
    await page.locator(".leaflet-tile-loaded").first().waitFor();
    assert.ok(tiles.length > 0);
    await page.reload();  // the choice lasts for the browser session
    await page.locator(".leaflet-tile-loaded").first().waitFor();
    assert.equal(await page.locator("#online-map").isVisible(), false);
    assert.deepEqual([outside, errors], [[], []]);
  });
}

test("the picture for the README: several files with their legend, one with a hint", async (t) => {
  const { page, errors } = await openPage(browser, { test: t });
  const withHint = example.toString("latin1").replace("[DESCRIPTION]", "P4=1141283.97,6106163.06\r\n[DESCRIPTION]");
  const offMap = `[COORDINATES]\r\nP1=7.2e37,0\r\nP2=0,1e9\r\nP3=1e400,0\r\nP4=nan,0\r\nP5=1113194.91,7170156.29\r\n[DESCRIPTION]\r\n${"P=a,b,c\r\n".repeat(5)}`;
  const north = "[COORDINATES]\r\nP1=1113194.91,7361866.11\r\nP2=1224514.40,7170156.29\r\n[DESCRIPTION]\r\nP1=Nord,1,\r\nP2=Nord,2,\r\n";
  await page.setInputFiles("#source-file", [source("survey.bcr", Buffer.from(withHint, "latin1")),
                                            source("nord.bcr", north), source("weit.bcr", offMap)]);
  await page.locator("#files-box").waitFor();
  // Each file's markers in its colour, as its legend shows it; points off the map only in the table.
  const colours = await page.locator("#legend .swatch").evaluateAll((swatches) => swatches.map((s) => getComputedStyle(s).backgroundColor));
  const fills = await markers(page).evaluateAll((paths) => paths.map((path) => getComputedStyle(path).fill));
  assert.deepEqual(await texts(page.locator("#legend li")), ["nord.bcr", "survey.bcr", "weit.bcr"]);
  assert.deepEqual(colours.map((colour) => fills.filter((fill) => fill === colour).length), [2, 3, 1]);
  assert.match((await texts(page.locator("#files tbody tr:nth-child(3) li"))).join(), /^Punkte 1–4 liegen nicht auf der Karte/);
  assert.equal(await page.locator("#points tbody tr").count(), 10);
  await page.selectOption("#table-choice", { label: "weit.bcr" });
  assert.deepEqual(await texts(page.locator("#points th")), ["Nr.", "Länge", "Breite", "Beschreibung 1", "Beschreibung 2", "Beschreibung 3"]);
  assert.equal(await page.locator("#points tbody tr").count(), 5);
  await page.selectOption("#table-choice", { label: "Alle Dateien" });
  await markers(page).nth(1).click();
  assert.equal(await page.locator(".leaflet-popup-content").textContent(), "nord.bcr · 2: Nord, 2");
  await noAccessibilityViolation(page, "several files");
  await page.locator(".leaflet-popup-close-button").click();
  await page.locator(".leaflet-popup").waitFor({ state: "detached" });
  await page.screenshot({ path: fileURLToPath(new URL("build/web-test/web-edition.png", repository)), fullPage: true });
  assert.deepEqual(errors, []);
});

test("20 sources of 100 MB: the renderer grows less than 100 MiB; a cancel leaves nothing offered", async (t) => {
  const { page, errors } = await openPage(browser, { test: t });
  const first = scratch("teil1.bcr");
  writeFileSync(first, largeSource());
  const parts = Array.from({ length: 20 }, (_, i) => join(first, `../teil${i + 1}.bcr`));
  parts.slice(1).forEach((part) => linkSync(first, part));
  await page.waitForTimeout(1000);  // as a person takes a moment to choose the files
  const idle = rendererPeak();
  await page.setInputFiles("#source-file", parts);
  await page.locator("#files-box").waitFor({ timeout: 300000 });
  assert.equal(await page.locator("#message").textContent(), "20 von 20 Quelldateien umgerechnet");
  const growth = rendererPeak() - idle;
  assert.ok(growth < 100, `the renderer grew by ${growth.toFixed(0)} MiB`)
  await page.setInputFiles("#source-file", parts);
  await page.locator("#share").filter({ hasText: /[1-9]\d* von 20 Dateien fertig/ }).waitFor();
  await page.locator("#cancel").click();
  await page.waitForTimeout(500);
  const offered = await page.locator("a[href^='blob:'], #files tbody tr, .leaflet-interactive").count();
  assert.deepEqual([await page.locator("#message").textContent(), offered, await page.locator("#reading").isVisible(), page.workers().length],
                   ["Abgebrochen; nichts wurde umgerechnet", 0, false, 1]);
  assert.deepEqual(errors, []);
});

// What GDAL reads in an export (in a GPX file: its waypoints), as GeoJSON from GDAL's own writer.
const readByGdal = (path) => JSON.parse(execFileSync("ogr2ogr", ["-f", "GeoJSON", "/vsistdout/", path,
  ...(path.endsWith(".gpx") ? ["waypoints"] : [])]).toString()).features;

test("the exports as GDAL reads them: the target's coordinates, the source's texts", async (t) => {
  const { page, errors } = await openPage(browser, { test: t });
  const pieces = [['Tor "Brandenburg"', "Pariser Platz; Mitte", "Berlin <Mitte> & mehr"], ["Kölner Dom", "Dom\rkloster 4", "Köln"],
                  ["weit", "weg", "draußen"], ["Süd", "West", "x,y"]];
  const sourceText = "[COORDINATES]\r\nP1=1487533.05,6886305.18\r\nP2=773725.67,6603516.61\r\nP3=7.2e37,0\r\nP4=-250000,-250000\r\n" +
                     `[DESCRIPTION]\r\n${pieces.map((p) => `P=${p.join(",")}\r\n`).join("")}`;
  const sourceBytes = Buffer.from(sourceText, "latin1");
  const second = "[COORDINATES]\r\nP1=1113194.91,7170156.29\r\n[DESCRIPTION]\r\nP1=Nord,Hafen,Kiel\r\n";
  await page.setInputFiles("#source-file", [source("messung.bcr", sourceBytes), source("zweit.bcr", second)]);
  await page.locator("#files-box").waitFor();
  // The console program's targets give the coordinates; point 3 of messung.bcr lies off the map.
  const places = (text) => consoleTarget(text).toString("latin1").split("\r\n").map((line) => line.split(", ").slice(0, 2));
  const [first, next] = [places(sourceBytes), places(second)];
  const expected = [...[0, 1, 3].map((i) => ({ source: "messung.bcr", number: i + 1, place: first[i], pieces: pieces[i] })),
                    { source: "zweit.bcr", number: 1, place: next[0], pieces: ["Nord", "Hafen", "Kiel"] }];
  // Each format: its place and texts as GDAL reads a feature, and the texts a point should give.
  const named = (p) => [`${p.number} ${p.pieces[0]}`, p.pieces.join(", ")];
  const formats = {
    geojson: [({ geometry, properties: f }) => [geometry.coordinates, [f.datei, f.punkt, f.beschreibung1, f.beschreibung2, f.beschreibung3]],
              (p) => [p.source, p.number, ...p.pieces]],
    kml: [({ geometry, properties: f }) => [geometry.coordinates.slice(0, 2), [f.Name, f.description]], named],
    gpx: [({ geometry, properties: f }) => [geometry.coordinates, [f.name, f.desc]], named],
    csv: [({ properties: f }) => [[f["Länge"], f.Breite].map((value) => Number(value.replace(",", "."))),
                                  [f.Datei, Number(f.Punkt), f["Beschreibung 1"], f["Beschreibung 2"], f["Beschreibung 3"]]],
          // GDAL's CSV reader gives a line break in a quoted field as a line feed.
          (p) => [p.source, p.number, ...p.pieces.map((piece) => piece.replace("\r", "\n"))]],
  };
  const exported = {};
  for (const [format, [seen, wanted]] of Object.entries(formats)) {
    const file = await download(page, `#export-${format}`);
    assert.equal(file.name, `punkte.${format}`);
    exported[format] = file.path;
    const features = readByGdal(file.path);
    assert.equal(features.length, 4, format);
    features.forEach((feature, i) => {
      const [coordinates, texts] = seen(feature);
      assert.deepEqual(coordinates.map((value) => value.toFixed(8)), expected[i].place, format);
      assert.deepEqual(texts, wanted(expected[i]), format);
    });
  }
  execFileSync("xmllint", ["--noout", exported.kml, exported.gpx]);  // well-formed
  // Eight decimals, digit for digit, as the target has them.
  assert.ok(readFileSync(exported.geojson, "utf8").includes(`[${expected[0].place.join(",")}]`));
  assert.ok(readFileSync(exported.csv, "utf8").includes(`;${expected[2].place[0].replace(".", ",")};`));
  assert.ok(readFileSync(exported.csv, "utf8").includes(';"Dom\rkloster 4";'));
  // One source's exports are named after its target.
  await choose(page, source("messung.bcr", sourceBytes));
  assert.equal((await download(page, "#export-kml")).name, "messung.kml");
  assert.deepEqual(errors, []);
});

test("Firefox: the single file converts as the console program does", async (t) => {
  const firefox = await puppeteer.launch({ browser: "firefox", executablePath: "/usr/bin/firefox-esr", headless: true });
  t.after(() => firefox.close());
  const page = await firefox.newPage();
  const errors = [];
  page.on("pageerror", (error) => errors.push(error.message));
  // The blobs the page offers, by their addresses (the page's policy lets it fetch none).
  await page.evaluateOnNewDocument(() => {
    const make = URL.createObjectURL;
    globalThis.offered = new Map();
    URL.createObjectURL = (blob) => { const url = make(blob); globalThis.offered.set(url, blob); return url; };
  });
  await page.goto(new URL("kalmira.html", siteDirectory).href);
  for (const c of conversionCases()) {
    const path = scratch(c.source);
    writeFileSync(path, c.bytes);
    await page.evaluate(() => { document.querySelector("#message").textContent = ""; });
    await (await page.$("#source-file")).uploadFile(path);
    await page.waitForFunction(() => document.querySelector("#message").textContent !== "");
    const shown = await page.evaluate(async () => ({
      message: document.querySelector("#message").textContent,
      name: document.querySelector("#download").download,
      target: [...new Uint8Array(await globalThis.offered.get(document.querySelector("#download").href).arrayBuffer())],
    }));
    assert.equal(shown.message, `Konvertierung von «${c.source}» nach «${shown.name}»`, c.name);
    if (c.derived) assert.equal(shown.name, c.target, c.name);
    assert.ok(Buffer.from(shown.target).equals(c.targetBytes), `${c.name}: the target's bytes differ`);
  }
  assert.deepEqual(errors, []);
});
