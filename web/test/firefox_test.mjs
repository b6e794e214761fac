// The single file in a second engine: Debian's Firefox ESR, driven by puppeteer-core over
// WebDriver BiDi, opens build/web/kalmira.html from disk and converts the end-to-end cases,
// giving the console program's bytes and names.
import { test } from "node:test";
import assert from "node:assert/strict";
import { mkdtempSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import puppeteer from "puppeteer-core";
import { conversionCases } from "./cases.mjs";
import { siteDirectory } from "./site.mjs";

test("Firefox: the single file converts as the console program does", async (t) => {
  const browser = await puppeteer.launch({ browser: "firefox", executablePath: "/usr/bin/firefox-esr", headless: true });
  const folder = mkdtempSync(join(tmpdir(), "kalmira-firefox-"));
  t.after(async () => {
    await browser.close();
    rmSync(folder, { recursive: true });
  });
  const page = await browser.newPage();
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
    writeFileSync(join(folder, c.source), c.bytes);
    await page.evaluate(() => { document.querySelector("#message").textContent = ""; });
    await (await page.$("#source-file")).uploadFile(join(folder, c.source));
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
