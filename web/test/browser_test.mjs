// The web edition in headless Chromium: for every end-to-end case in which the console program
// writes a target, the page's download has the same bytes, and the name the console program
// derives; the example's points show in the table and on the map; a file that cannot be read
// is reported. Run after `cmake --workflow --preset web`: node --test web/test/
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { readFile, writeFile, utimes, mkdir, mkdtemp } from "node:fs/promises";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { bytes, readCaseFile, readEndToEndCases } from "./cases.mjs";
import { openSite, serveSite, siteDirectory } from "./site.mjs";

const screenshot = new URL("../../build/web-test/survey.png", import.meta.url);
let site;
let browser;

before(async () => {
  site = await serveSite();
});
after(async () => {
  await browser?.browser.close();
  site.server.close();
});

// The end-to-end cases in which the converter writes a target file, with the source's bytes.
function conversionCases() {
  return readEndToEndCases()
    .filter((c) => c.platform !== "windows" && c.status === 0 && c.results.length === 1)
    .map((c) => {
      const source = c.arguments[0] ?? c.input.split(/\r?\n/)[0];
      const files = Object.fromEntries(c.files);
      return { ...c, source, bytes: bytes(files[source]), derived: c.arguments.length < 2 };
    });
}

const baseName = (name) => name.slice(name.lastIndexOf("/") + 1);

// Hands the page a file as the file picker does; waits for its result.
async function convertOnPage(page, name, bytes) {
  await page.goto(site.url);
  await page.setInputFiles("#source-file", { name, mimeType: "application/octet-stream", buffer: bytes });
  await page.locator("#message").waitFor({ state: "visible" });
  return (await page.locator("#message").textContent()) ?? "";
}

test("the page's target is the console program's, byte for byte", async () => {
  browser = await openSite(site.url);
  const { page, outside, errors } = browser;
  const cases = conversionCases();
  assert.ok(cases.length >= 8, `only ${cases.length} cases`);
  for (const c of cases) {
    const name = baseName(c.source);
    const [[targetPath, targetBytes]] = c.results;
    const message = await convertOnPage(page, name, c.bytes);
    const link = page.locator("#download");
    const targetName = await link.getAttribute("download");
    assert.equal(message, `Konvertierung von «${name}» nach «${targetName}»`, c.name);
    if (c.derived) assert.equal(targetName, baseName(targetPath), c.name);
    const download = await Promise.all([page.waitForEvent("download"), link.click()]).then(([d]) => d);
    const downloaded = await readFile(await download.path());
    assert.ok(downloaded.equals(bytes(targetBytes)), `${c.name}: the downloaded bytes differ`);
  }
  assert.deepEqual(outside, []);
  assert.deepEqual(errors, []);
});

// Drops a file on the drop zone, as a file dragged from the desktop.
async function dropOnPage(page, name, bytes) {
  await page.goto(site.url);
  const files = await page.evaluateHandle(([name, bytes]) => {
    const transfer = new DataTransfer();
    transfer.items.add(new File([new Uint8Array(bytes)], name));
    return transfer;
  }, [name, [...bytes]]);
  await page.dispatchEvent("#drop-zone", "drop", { dataTransfer: files });
  await page.locator("#message").waitFor({ state: "visible" });
}

test("the example dropped on the page: its points in the table and on the map", async () => {
  const { page, errors, outside } = browser;
  await dropOnPage(page, "survey.bcr", await readFile(new URL("../../examples/survey.bcr", import.meta.url)));
  assert.equal(await page.locator("#message").textContent(), "Konvertierung von «survey.bcr» nach «survey.asc»");
  assert.equal(await page.locator("#count").textContent(), "3 Punkte");
  const rows = await page.locator("#points tbody tr").evaluateAll((trs) =>
    trs.map((tr) => [...tr.cells].map((td) => td.textContent)));
  // The target's lines, split into their values and pieces (tests/cases/survey.asc).
  assert.deepEqual(rows, [
    ["1", "13.37770367", "52.51626968", "Brandenburger Tor", "Pariser Platz", "Berlin"],
    ["2", "6.95828104", "50.94127274", "Kölner Dom", "Domkloster 4", "Köln"],
    ["3", "10.98527813", "47.42110825", "Zugspitze", "Gipfel", "Garmisch-Partenkirchen"],
  ]);
  const markers = page.locator(".leaflet-overlay-pane path.leaflet-interactive");
  assert.equal(await markers.count(), 3);
  await markers.nth(1).click();
  assert.equal(await page.locator(".leaflet-popup-content").textContent(), "2: Kölner Dom, Domkloster 4, Köln");
  await page.locator(".leaflet-popup-close-button").click();
  await page.locator(".leaflet-tile-loaded").first().waitFor();
  await mkdir(new URL(".", screenshot), { recursive: true });
  await page.screenshot({ path: screenshot.pathname, fullPage: true });
  assert.deepEqual(errors, []);
  assert.deepEqual(outside, []);
});

test("without tiles, points with a place are on the map, the others only in the table", async () => {
  const { page, errors } = browser;
  await page.route(/\/\d+\/\d+\/\d+\.png$/, (route) => route.abort("internetdisconnected"));
  const source = "[COORDINATES]\r\nP1=1e400,0\r\nP2=773725.67,6603516.61\r\n[DESCRIPTION]\r\nP1=a,b,c\r\nP2=d,e,f\r\n";
  await convertOnPage(page, "teil.bcr", Buffer.from(source, "latin1"));
  assert.equal(await page.locator("#points tbody tr").count(), 2);
  assert.equal(await page.locator("#points tbody tr").first().locator("td").nth(1).textContent(), "inf");
  assert.equal(await page.locator(".leaflet-overlay-pane path.leaflet-interactive").count(), 1);
  assert.equal(await page.locator(".leaflet-tile-loaded").count(), 0);
  assert.deepEqual(errors, []);
  await page.unroute(/\/\d+\/\d+\/\d+\.png$/);
});

// Has the page's worker run as in a browser without promise integration, where it reads the
// file with FileReaderSync.
async function withoutPromiseIntegration(page) {
  const script = await readFile(new URL("worker.js", siteDirectory), "utf8");
  await page.route("**/worker.js", (route) => route.fulfill({
    contentType: "text/javascript", body: `delete WebAssembly.Suspending;\n${script}`,
  }));
}

for (const streamed of [true, false]) {
  const way = streamed ? "as a stream" : "with FileReaderSync";
  test(`read ${way}: the example converts, a file that cannot be read is reported`, async () => {
    const { page } = browser;
    if (!streamed) await withoutPromiseIntegration(page);
    await convertOnPage(page, "survey.bcr", await readFile(new URL("../../examples/survey.bcr", import.meta.url)));
    const download = await Promise.all([page.waitForEvent("download"), page.locator("#download").click()]);
    assert.ok((await readFile(await download[0].path())).equals(readCaseFile("survey.asc")));
    const suspending = await page.workers()[0].evaluate(() => typeof WebAssembly.Suspending);
    assert.equal(suspending, streamed ? "function" : "undefined");

    const folder = await mkdtemp(join(tmpdir(), "kalmira-web-"));
    const path = join(folder, "weg.bcr");
    await writeFile(path, readCaseFile("overview.bcr"));
    // The file changes after it was chosen and before the worker reads it (the core is held
    // back until then): the browser refuses to read a file that is no longer the one chosen.
    let held = false;
    let release;
    const changed = new Promise((resolve) => { release = resolve; });
    await page.route("**/kalmira.wasm", async (route) => {
      held = true;
      await changed;
      await route.continue();
    });
    await page.goto(site.url);
    await page.setInputFiles("#source-file", path);
    await utimes(path, new Date(0), new Date(0));
    release();
    await page.locator("#message").waitFor({ state: "visible" });
    assert.ok(held);
    assert.equal(await page.locator("#message").textContent(), "Fehler beim Lesen von «weg.bcr»");
    assert.equal(await page.locator("#download").isVisible(), false);
    await page.unroute("**/kalmira.wasm");
    await page.unroute("**/worker.js");
  });
}
