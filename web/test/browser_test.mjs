// The web edition in headless Chromium, as the hosted site and as the single file opened from
// disk, against what the console program makes of the same sources; the single file also in a
// second engine, Firefox ESR, driven by puppeteer-core over WebDriver BiDi. Run after the web build.
import { after, before, describe, test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { fileURLToPath } from "node:url";
import puppeteer from "puppeteer-core";
import { bytes, conversionCases, expected, readCases } from "./cases.mjs";
import { randomNumbers } from "./random.mjs";
import { launchChromium, openPage, rendererPeak, siteDirectory } from "./site.mjs";

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
const message = (page) => page.locator("#message").filter({ hasText: /./ });
const pathOf = ({ path }) => path;

// Chooses a file in the page's picker and waits for the page to show what became of it.
async function choose(page, file) {
  await page.setInputFiles("#source-file", file);
  return message(page).textContent({ timeout: 60000 });
}

// Clicks a download link; gives the file's offered name and where it was saved.
async function download(page, link = "#download") {
  const [file] = await Promise.all([page.waitForEvent("download"), page.locator(link).click()]);
  const path = scratch(file.suggestedFilename());
  await file.saveAs(path);
  return { name: file.suggestedFilename(), path };
}

// Holds the page's waiting worker busy for a while, so that it reads nothing before then.
function holdWorker(page) {
  return page
    .workers()
    .at(-1)
    .evaluate(() => {
      for (const end = Date.now() + 2000; Date.now() < end;);
    });
}

async function accessibilityViolations(page) {
  await page.evaluate(axe);
  const { violations } = await page.evaluate(() => globalThis.axe.run());
  return violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(" ")}`);
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

// 100 MB of lines the converter skips, with the sections in the middle.
function largeSource() {
  const half = "REMARK=measured in the field, nothing the converter reads here 0123456789\r\n".repeat(13000 * 50);
  return Buffer.from(
    `${half}[COORDINATES]\r\nP1=1487533.05,6886305.18\r\n[DESCRIPTION]\r\nP1=a,b,c\r\n[END]\r\n${half}`,
  );
}

// A day's sources in a folder with subfolders: the end-to-end and the hint cases, each in a
// folder of its own, sources generated as a fuzzer makes them, two whose targets share a name,
// one changed after it was chosen (which makes it unreadable), one of 100 MB, a note and a photo
// named as sources, and a note the folder pickers pass over. Gives the folder and its sources in
// the page's order, each with its target's name and what the console program makes of it.
function dayFolder() {
  const folder = scratch("tag");
  const sources = [
    // A folder gives only its .bcr files; the name up to its first dot names the target.
    ...conversionCases().map((c, i) => ({
      path: `fälle/${i + 1}/${c.source}${/\.bcr$/i.test(c.source) ? "" : ".bcr"}`,
      content: c.bytes,
      name: c.target && `fälle/${i + 1}/${c.target}`,
    })),
    ...readCases("hints.txt").map(([line, [text]]) => ({ path: `hinweise/${line}.bcr`, content: bytes(text) })),
    ...generatedSources(12).map((content, i) => ({ path: `erzeugt/${i + 1}.bcr`, content })),
    { path: "messung.bcr", content: example },
    { path: "messung.v2.bcr", content: example.subarray(0, 200), name: "messung (2).asc" },
    { path: "kaputt.bcr", content: example },
    { path: "gross.bcr", content: largeSource() },
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
      // The single file as a browser without promise integration runs it, reading with FileReaderSync.
      const init = fromDisk && withoutPromiseIntegration;
      ({ page, outside, tiles, errors } = await openPage(browser, { fromDisk, init }));
      let folder;
      ({ folder, sources } = dayFolder());
      if (fromDisk) {
        await drop(page, [folder]);
        refusedDrop = await message(page).textContent();
      }
      const busy = holdWorker(page);
      await (fromDisk ? page.setInputFiles("#source-folder", folder) : drop(page, [folder]));
      await page.locator("#reading").waitFor();
      fs.utimesSync(join(folder, "kaputt.bcr"), new Date(0), new Date(0));
      await busy;
      await page.locator("#files-box").waitFor({ timeout: 120000 });
      // A row: the source, its target, its points, and its hints one by one (or the message).
      rows = await page.locator("#files tbody tr").evaluateAll((trs) =>
        trs.map(({ cells, className }) => ({
          path: cells[0].textContent,
          target: cells[1].textContent,
          notes: [...cells[3].querySelectorAll("li")].map((li) => li.textContent),
          message: cells[3].firstChild?.nodeType === Node.TEXT_NODE ? cells[3].firstChild.textContent : "",
          attention: className === "attention",
        })),
      );
    });
    after(() => page.context().close());

    test(`the worker reads ${fromDisk ? "with FileReaderSync" : "streams"}`, async () => {
      const suspending = await page.workers()[0].evaluate(() => typeof WebAssembly.Suspending);
      assert.equal(suspending, fromDisk ? "undefined" : "function");
    });
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
      const parts = [
        `${converted.length} umgerechnet, ${withHints} davon mit Hinweisen`,
        `${noSource} keine Quelldatei`,
      ];
      assert.equal(
        await page.locator("#message").textContent(),
        `${sources.length} Dateien: ${parts.join("; ")}; 1 nicht lesbar`,
      );
    });
    test("each row: its source, its target's name, and the hints the console program gives", () => {
      assert.deepEqual(rows.map(pathOf), sources.map(pathOf));
      rows.forEach((row, i) => {
        const { target, name, hints, path } = sources[i];
        if (path === "tag/kaputt.bcr")
          return assert.deepEqual([row.target, row.message], ["–", "Fehler beim Lesen von „tag/kaputt.bcr“"]);
        assert.deepEqual([row.target, row.notes], [target ? name : "keine Quelldatei", hints], path);
      });
    });
    test("the ZIP holds every target, as the console program writes it, and no other file", async () => {
      const zip = (await download(page)).path;
      const env = { ...process.env, LC_ALL: "C.UTF-8" }; // a locale that holds the names
      const unpack = (options, ...names) => execFileSync("bsdtar", [options, zip, ...names], { env });
      const targets = sources.filter(({ target, path }) => target && path !== "tag/kaputt.bcr");
      assert.deepEqual(unpack("-tf").toString().trim().split("\n").sort(), targets.map(({ name }) => name).sort());
      for (const { name, target } of targets) assert.ok(unpack("-xOf", name).equals(target), name);
    });
    test("rows that need a look stand out and come first on request", async () => {
      const needsLook = ({ target, hints, path }) => !target || hints.length > 0 || path === "tag/kaputt.bcr";
      assert.deepEqual(
        rows.map(({ attention }) => attention),
        sources.map(needsLook),
      );
      await page.locator("#hints-first").check();
      const order = await texts(page.locator("#files tbody tr td:first-child"));
      const [first, rest] = [sources.filter(needsLook), sources.filter((s) => !needsLook(s))];
      assert.deepEqual(order, [...first, ...rest].map(pathOf));
    });
    test("the worker is bound by the page's policy: its fetch is refused", async () => {
      const fetched = () =>
        fetch("https://example.org/")
          .then(() => "fetched")
          .catch(() => "refused");
      assert.equal(await page.workers()[0].evaluate(fetched), "refused");
    });
    test("no request leaves the page until the online map is asked for; then only tiles, for the session", async () => {
      assert.ok((await page.locator(".leaflet-overlay-pane path:not(.leaflet-interactive)").count()) > 100); // the base map
      assert.deepEqual([outside, tiles], [[], []]);
      await page.locator("#load-tiles").click();
      await page.locator(".leaflet-tile-loaded").first().waitFor();
      assert.ok(tiles.length > 0);
      await page.reload();
      await page.locator(".leaflet-tile-loaded").first().waitFor();
      assert.deepEqual([await page.locator("#online-map").isVisible(), outside, errors], [false, [], []]);
    });
  });
}

describe("several files at once, one with a hint", () => {
  let page, errors;
  before(async () => {
    ({ page, errors } = await openPage(browser));
    const withHint = example.toString("latin1").replace("[DESCRIPTION]", "P4=1141283.97,6106163.06\r\n[DESCRIPTION]");
    const north =
      "P1=1113194.91,7361866.11\r\nP2=1224514.40,7170156.29\r\n[DESCRIPTION]\r\nP1=Nord,1,\r\nP2=Nord,2,\r\n";
    const offMap = `P1=7.2e37,0\r\nP2=0,1e9\r\nP3=1e400,0\r\nP4=nan,0\r\nP5=1113194.91,7170156.29\r\n[DESCRIPTION]\r\n`;
    const files = [source("survey.bcr", bytes(withHint)), source("nord.bcr", `[COORDINATES]\r\n${north}`)];
    files.push(source("weit.bcr", `[COORDINATES]\r\n${offMap}${"P=a,b,c\r\n".repeat(5)}`));
    await page.setInputFiles("#source-file", files);
    await page.locator("#files-box").waitFor();
  });
  after(() => page.context().close());

  test("each file's markers in its colour, as its legend shows it; points off the map only in the table", async () => {
    const style = (locator, property) =>
      locator.evaluateAll((all, p) => all.map((e) => getComputedStyle(e)[p]), property);
    const colours = await style(page.locator("#legend .swatch"), "backgroundColor");
    const fills = await style(markers(page), "fill");
    assert.deepEqual(await texts(page.locator("#legend li")), ["nord.bcr", "survey.bcr", "weit.bcr"]);
    assert.deepEqual(
      colours.map((colour) => fills.filter((fill) => fill === colour).length),
      [2, 3, 1],
    );
    const hints = await texts(page.locator("#files tbody tr:nth-child(3) li"));
    assert.match(hints.join(), /^Punkte 1–4 liegen nicht auf der Karte/);
  });
  test("the points table shows all files with a column naming the file, or one chosen file", async () => {
    assert.equal(await page.locator("#points tbody tr").count(), 10);
    await page.selectOption("#table-choice", { label: "weit.bcr" });
    const columns = ["Nr.", "Länge", "Breite", "Beschreibung 1", "Beschreibung 2", "Beschreibung 3"];
    assert.deepEqual(await texts(page.locator("#points th")), columns);
    assert.equal(await page.locator("#points tbody tr").count(), 5);
    await page.selectOption("#table-choice", { label: "Alle Dateien" });
  });
  test("a marker's popup names its file and point", async () => {
    await markers(page).nth(1).click();
    assert.equal(await page.locator(".leaflet-popup-content").textContent(), "nord.bcr · 2: Nord, 2");
  });
  test("axe-core finds nothing; the README's picture", async () => {
    await page.locator(".leaflet-popup-close-button").click();
    await page.locator(".leaflet-popup").waitFor({ state: "detached" });
    await page.locator("#files summary").first().click(); // the hints of the picture's file with a hint
    assert.deepEqual([await accessibilityViolations(page), errors], [[], []]);
    await page.screenshot({
      path: fileURLToPath(new URL("build/web-test/web-edition.png", repository)),
      fullPage: true,
    });
  });
});

describe("20 sources of 100 MB", () => {
  let page, errors, parts;
  before(async () => {
    ({ page, errors } = await openPage(browser));
    const first = scratch("teil1.bcr");
    fs.writeFileSync(first, largeSource());
    parts = Array.from({ length: 20 }, (_, i) => join(first, `../teil${i + 1}.bcr`));
    parts.slice(1).forEach((part) => fs.linkSync(first, part));
  });
  after(() => page.context().close());

  test("the renderer grows less than 100 MiB", async () => {
    await page.waitForTimeout(1000); // as a person takes a moment to choose the files
    const idle = rendererPeak();
    await page.setInputFiles("#source-file", parts);
    await page.locator("#files-box").waitFor({ timeout: 300000 });
    assert.equal(await page.locator("#message").textContent(), "20 Dateien: 20 umgerechnet");
    const growth = rendererPeak() - idle;
    assert.ok(growth < 100, `the renderer grew by ${growth.toFixed(0)} MiB`);
  });
  test("a cancel leaves nothing offered", async () => {
    await page.setInputFiles("#source-file", parts);
    await page
      .locator("#share")
      .filter({ hasText: /[1-9]\d* von 20 Dateien fertig/ })
      .waitFor();
    await page.locator("#cancel").click();
    await page.waitForTimeout(500);
    const offered = await page.locator("a[href^='blob:'], #files tbody tr, .leaflet-interactive").count();
    const shown = [await page.locator("#message").textContent(), await page.locator("#reading").isVisible()];
    assert.deepEqual(
      [shown, offered, page.workers().length, errors],
      [["Abgebrochen; nichts wurde umgerechnet", false], 0, 1, []],
    );
  });
});

describe("the exports, as GDAL reads them", () => {
  const pieces = [
    ['Tor "Brandenburg"', "Pariser Platz; Mitte", "Berlin <Mitte> & mehr"],
    ["Kölner Dom", "Dom\rkloster 4", "Köln"],
    ["weit", "weg", "draußen"],
    ["Süd", "West", "x,y"],
  ];
  const first = bytes(
    "[COORDINATES]\r\nP1=1487533.05,6886305.18\r\nP2=773725.67,6603516.61\r\nP3=7.2e37,0\r\nP4=-250000,-250000\r\n" +
      `[DESCRIPTION]\r\n${pieces.map((p) => `P=${p.join(",")}\r\n`).join("")}`,
  );
  // A source saved as UTF-8: its pieces are read as UTF-8.
  const second = Buffer.from("[COORDINATES]\r\nP1=1113194.91,7170156.29\r\n[DESCRIPTION]\r\nP1=Förde,Hafen,Kiel\r\n");
  // The console program's targets give the coordinates; point 3 of messung.bcr lies off the map.
  const [one, two] = [first, second].map((source) =>
    expected(source)
      .target.toString("latin1")
      .split("\r\n")
      .map((line) => line.split(", ").slice(0, 2)),
  );
  const points = [
    ...[0, 1, 3].map((i) => ({ source: "messung.bcr", number: i + 1, place: one[i], pieces: pieces[i] })),
    { source: "zweit.bcr", number: 1, place: two[0], pieces: ["Förde", "Hafen", "Kiel"] },
  ];
  // What GDAL reads in an export (in a GPX file: its waypoints), as GeoJSON from GDAL's own writer.
  const readByGdal = (path) =>
    JSON.parse(
      execFileSync("ogr2ogr", ["-f", "GeoJSON", "/vsistdout/", path, ...(path.endsWith(".gpx") ? ["waypoints"] : [])]),
    ).features;
  // Each format: its place and texts as GDAL reads a feature, and the texts a point should give.
  const named = (p) => [`${p.number} ${p.pieces[0]}`, p.pieces.join(", ")];
  const formats = {
    geojson: [
      ({ geometry: g, properties: f }) => [
        g.coordinates,
        [f.datei, f.punkt, f.beschreibung1, f.beschreibung2, f.beschreibung3],
      ],
      (p) => [p.source, p.number, ...p.pieces],
    ],
    kml: [({ geometry: g, properties: f }) => [g.coordinates.slice(0, 2), [f.Name, f.description]], named],
    gpx: [({ geometry: g, properties: f }) => [g.coordinates, [f.name, f.desc]], named],
    csv: [
      ({ properties: f }) => [
        [f["Länge"], f.Breite].map((value) => Number(value.replace(",", "."))),
        [f.Datei, Number(f.Punkt), f["Beschreibung 1"], f["Beschreibung 2"], f["Beschreibung 3"]],
      ],
      // GDAL's CSV reader gives a line break in a quoted field as a line feed.
      (p) => [p.source, p.number, ...p.pieces.map((piece) => piece.replace("\r", "\n"))],
    ],
  };
  let page, errors;
  const exported = {};
  before(async () => {
    ({ page, errors } = await openPage(browser));
    await page.setInputFiles("#source-file", [source("messung.bcr", first), source("zweit.bcr", second)]);
    await page.locator("#files-box").waitFor();
  });
  after(() => page.context().close());

  for (const [format, [seen, wanted]] of Object.entries(formats)) {
    test(`${format}: the target's coordinates and the source's texts`, async () => {
      const file = await download(page, `#export-${format}`);
      exported[format] = file.path;
      const features = readByGdal(file.path);
      assert.deepEqual([file.name, features.length], [`punkte.${format}`, 4]);
      features.forEach((feature, i) => {
        const [coordinates, texts] = seen(feature);
        assert.deepEqual([coordinates.map((value) => value.toFixed(8)), texts], [points[i].place, wanted(points[i])]);
      });
    });
  }
  test("KML and GPX are well-formed; GeoJSON and CSV carry the target's eight decimals, digit for digit", () => {
    execFileSync("xmllint", ["--noout", exported.kml, exported.gpx]);
    assert.ok(fs.readFileSync(exported.geojson, "utf8").includes(`[${points[0].place.join(",")}]`));
    const csv = fs.readFileSync(exported.csv, "utf8");
    assert.ok(csv.includes(`;${points[2].place[0].replace(".", ",")};`) && csv.includes(';"Dom\rkloster 4";'));
  });
  test("the table shows the UTF-8 source's pieces as they are meant", async () => {
    assert.deepEqual(await texts(page.locator("#points tbody tr:last-child td")).then((cells) => cells.slice(4)), [
      "Förde",
      "Hafen",
      "Kiel",
    ]);
  });
  test("one source's exports are named after its target", async () => {
    await choose(page, source("messung.bcr", first));
    assert.deepEqual([(await download(page, "#export-kml")).name, errors], ["messung.kml", []]);
  });
});

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

  test("nothing scrolls sideways, the map keeps its height, and axe-core finds nothing", async () => {
    assert.deepEqual([await page.locator("#count").textContent(), await markers(page).count()], ["2 Punkte", 2]);
    assert.equal(await page.evaluate(() => document.documentElement.scrollWidth), 390);
    assert.ok((await page.locator("#map").boundingBox()).height >= 250);
    assert.deepEqual(await accessibilityViolations(page), []);
  });
  test("the same file chosen again clears the page at once, before it is read", async () => {
    assert.equal(await page.locator("#source-file").inputValue(), ""); // the emptied picker takes the file again
    const busy = holdWorker(page);
    await page.setInputFiles("#source-file", path);
    const selectors = ["#message", "#count", "#hints li", ".leaflet-interactive", "#download[href]", "#points td"];
    const textOf = (all) => all.map((s) => [...document.querySelectorAll(s)].map((e) => e.textContent).join(""));
    const shown = await page.evaluate(textOf, selectors);
    fs.utimesSync(path, new Date(0), new Date(0)); // changed since it was chosen: it cannot be read
    await busy;
    assert.deepEqual(shown, ["", "", "", "", "", ""]);
  });
  test("a failed read leaves no marker and no download", async () => {
    assert.equal(await message(page).textContent(), `Fehler beim Lesen von „${name}.bcr“`);
    assert.deepEqual([await markers(page).count(), await page.locator("#download").isVisible()], [0, false]);
    assert.deepEqual(errors, []);
  });
});

test("Firefox: the single file converts as the console program does", async (t) => {
  const firefox = await puppeteer.launch({ browser: "firefox", executablePath: "/usr/bin/firefox-esr" });
  t.after(() => firefox.close());
  const page = await firefox.newPage();
  const errors = [];
  page.on("pageerror", (error) => errors.push(error.message));
  // The blobs the page offers, by their addresses (the page's policy lets it fetch none).
  await page.evaluateOnNewDocument(() => {
    const make = URL.createObjectURL;
    globalThis.offered = new Map();
    URL.createObjectURL = (blob) => {
      const url = make(blob);
      globalThis.offered.set(url, blob);
      return url;
    };
  });
  await page.goto(new URL("kalmira.html", siteDirectory).href);
  for (const c of conversionCases()) {
    const path = scratch(c.source);
    fs.writeFileSync(path, c.bytes);
    await page.evaluate(() => (document.querySelector("#message").textContent = ""));
    await (await page.$("#source-file")).uploadFile(path);
    await page.waitForFunction(() => document.querySelector("#message").textContent !== "");
    const [shown, name, offered] = await page.evaluate(async () => {
      const link = document.querySelector("#download");
      const blob = link.hidden ? new Blob() : globalThis.offered.get(link.href);
      return [
        document.querySelector("#message").textContent,
        link.download,
        [...new Uint8Array(await blob.arrayBuffer())],
      ];
    });
    // A source's target, named as the console program names it; or none for a file with no section.
    const { target } = expected(c.bytes);
    const noSource = `„${c.source}“ ist keine Quelldatei: sie hat weder [COORDINATES] noch [DESCRIPTION].`;
    assert.equal(shown, target ? `„${c.source}“ umgerechnet in „${c.target ?? name}“` : noSource, c.name);
    assert.ok(Buffer.from(offered).equals(target ?? Buffer.alloc(0)), `${c.name}: the target's bytes differ`);
  }
  assert.deepEqual(errors, []);
});
