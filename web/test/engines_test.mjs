// The web edition in Chromium (playwright-core), Firefox ESR (puppeteer-core over WebDriver BiDi)
// and WebKit (selenium-webdriver with Debian's WebKitWebDriver and MiniBrowser under Xvfb), the
// site over HTTP and the single file from disk: the end-to-end cases one by one, the hint cases at
// once, a large source and a cancelled conversion, each as the console program converts it. What
// only Chromium's tools show is browser_test.mjs's. Run after the web build.
import { after, before, describe, test } from "node:test";
import assert from "node:assert/strict";
import { spawn } from "node:child_process";
import fs from "node:fs";
import http from "node:http";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { setTimeout as sleep } from "node:timers/promises";
import puppeteer from "puppeteer-core";
import { Builder, By } from "selenium-webdriver";
import { DriverService } from "selenium-webdriver/remote/index.js";
import { bytes, conversionCases, expected, largeSource, readCases, unzipped } from "./cases.mjs";
import { fileRows, launchChromium, memoryGrowth, siteDirectory, watch } from "./site.mjs";

const scratchRoot = fs.mkdtempSync(join(tmpdir(), "kalmira-engines-"));
after(() => fs.rmSync(scratchRoot, { recursive: true }));
const scratch = () => fs.mkdtempSync(join(scratchRoot, "t"));

// Asks `check` again and again until it gives a value; fails after `limit` milliseconds.
async function until(check, limit = 120000) {
  for (const end = Date.now() + limit; Date.now() < end; await sleep(20)) {
    const value = await check();
    if (value) return value;
  }
  throw new Error(`nothing after ${limit} ms`);
}

// The site over HTTP on the loopback, as a web server serves it.
async function serveSite() {
  const files = new Set(fs.readdirSync(siteDirectory));
  const types = { html: "text/html", js: "text/javascript", css: "text/css" };
  const server = http.createServer((request, response) => {
    const name = new URL(request.url, "http://site").pathname.slice(1) || "index.html";
    if (!files.has(name)) return response.writeHead(404).end();
    response.writeHead(200, { "Content-Type": types[name.split(".").pop()] });
    response.end(fs.readFileSync(new URL(name, siteDirectory)));
  });
  await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
  return { address: `http://127.0.0.1:${server.address().port}/`, close: () => server.close() };
}

// What the test keeps of a page, besides what `watch` watches: its errors and those it logs, and
// each file it offers to save (its name and Blob), which it then does not save.
function keep() {
  const click = HTMLAnchorElement.prototype.click;
  Object.assign(globalThis, { errors: [], offered: [] });
  const note = (error) => globalThis.errors.push(String(error));
  addEventListener("error", (event) => note(event.message));
  addEventListener("unhandledrejection", (event) => note(event.reason));
  console.error = (...words) => note(words.join(" "));
  HTMLAnchorElement.prototype.click = function () {
    if (!this.download) return click.call(this);
    globalThis.offered.push({ name: this.download, blob: blobOf(this.href) });
  };
  // A Blob's bytes, each a character U+0000 to U+00FF, as a driver can hand them back.
  globalThis.latin1 = (blob) =>
    new Promise((done) =>
      Object.assign(new FileReader(), { onload: (e) => done(e.target.result) }).readAsBinaryString(blob),
    );
}

// An engine: opens a page and runs a function in it, chooses files in the page's file picker.
// Playwright's and Puppeteer's pages take the same calls.
const onPage = (browser, page, processes, choose) => ({
  processes,
  open: (address) => page.goto(address),
  run: (script, ...values) => page.evaluate(script, ...values),
  choose,
  close: () => browser.close(),
});

async function chromium() {
  const browser = await launchChromium();
  const page = await browser.newPage();
  return onPage(browser, page, "--type=renderer", (paths) => page.setInputFiles("#source-file", paths));
}

async function firefox() {
  const browser = await puppeteer.launch({ browser: "firefox", executablePath: "/usr/bin/firefox-esr" });
  const page = await browser.newPage();
  const choose = async (paths) => (await page.$("#source-file")).uploadFile(...paths);
  return onPage(browser, page, "-contentproc", choose);
}

// Ends a promise that would hang (a WebDriver session without a display) after `limit` ms.
const within = (limit, promise) =>
  Promise.race([promise, new Promise((_, fail) => setTimeout(() => fail(new Error("no answer")), limit).unref())]);

// WebKit's driver on a display of its own; gives its address, and how to end both.
async function webkitDriver() {
  const stdio = ["ignore", "ignore", "ignore", "pipe"]; // the display's number comes on descriptor 3
  const display = spawn("Xvfb", ["-displayfd", "3", "-nolisten", "tcp"], { stdio });
  const number = await within(30000, new Promise((resolve) => display.stdio[3].once("data", resolve)));
  const env = { ...process.env, DISPLAY: `:${String(number).trim()}` };
  const server = new DriverService.Builder("/usr/bin/WebKitWebDriver").setLoopback(true).setEnvironment(env).build();
  return { address: await server.start(30000), end: () => Promise.all([server.kill(), display.kill()]) };
}

// A script run by the driver as a function of its values, its promise's value handed back.
const asScript = (script) =>
  `const done = arguments[arguments.length - 1];
   Promise.resolve((${script}).apply(null, [].slice.call(arguments, 0, -1)))
     .then((value) => done({ value }), (error) => done({ error: String(error) }));`;

async function webkit() {
  const driver = await webkitDriver();
  const binary = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser";
  const capabilities = { browserName: "MiniBrowser", "webkitgtk:browserOptions": { binary, args: ["--automation"] } };
  const session = await within(60000, new Builder().usingServer(driver.address).withCapabilities(capabilities).build());
  return {
    processes: "WebKitWebProcess",
    open: (address) => session.get(address),
    async run(script, ...values) {
      const { value, error } = await session.executeAsyncScript(asScript(script), ...values);
      if (error) throw new Error(error);
      return value;
    },
    choose: async (paths) => (await session.findElement(By.css("#source-file"))).sendKeys(paths.join("\n")),
    async close() {
      await session.quit();
      driver.end();
    },
  };
}

const message = () => document.querySelector("#result .message")?.textContent;
// What a choice of one file shows: its message, hints, and target's name and bytes.
const shownForOne = async () => {
  const link = document.querySelector("#result .downloads a");
  const hints = [...document.querySelectorAll("#result .hints li")].map((li) => li.textContent);
  const [name, target] = link ? [link.download, await latin1(blobOf(link.href))] : [null, null];
  return { message: document.querySelector("#result .message").textContent, hints, name, target };
};

const cases = conversionCases();
const large = { path: join(scratch(), "gross.bcr") };
fs.writeFileSync(large.path, largeSource(200));
large.target = expected(fs.readFileSync(large.path)).target.toString("latin1");
// The hint cases as files of one choice, each named by its line in the table.
const hintSources = readCases("hints.txt").map(([line, [text]]) => ({ name: `${line}.bcr`, content: bytes(text) }));

for (const [engineName, start] of Object.entries({ Chromium: chromium, Firefox: firefox, WebKit: webkit })) {
  describe(engineName, () => {
    for (const fromDisk of [false, true]) {
      describe(fromDisk ? "the single file, opened from disk" : "the site, over HTTP", () => {
        // A browser of its own for each edition, so that each shows its own memory's peak.
        let engine, site;
        // Chooses files (paths, or names and contents) and waits until the page shows what became
        // of them, unless it is to hold them.
        const choose = async (files, { holding = false } = {}) => {
          const folder = scratch();
          const paths = files.map((file) => (file.name ? join(folder, file.name) : file));
          files.forEach((file, i) => file.name && fs.writeFileSync(paths[i], file.content));
          await engine.run((hold) => {
            document.querySelector("#result").replaceChildren();
            globalThis.holding = hold;
          }, holding);
          await engine.choose(paths);
          if (!holding) await until(() => engine.run(message));
        };
        before(async () => {
          [engine, site] = await Promise.all([start(), serveSite()]);
          await engine.open(fromDisk ? new URL("kalmira.html", siteDirectory).href : site.address);
          await engine.run(watch);
          await engine.run(keep);
        });
        after(async () => {
          await engine.close();
          site.close();
        });

        for (const c of cases) {
          // A name with a line feed cannot be handed to WebKit's driver, which splits names there.
          const skip = engineName === "WebKit" && c.source.includes("\n") && "the driver splits names at line feeds";
          test(`${c.name}: the target and hints of the console program`, { skip }, async () => {
            await choose([{ name: c.source, content: c.bytes }]);
            const shown = await engine.run(shownForOne);
            const { target, hints } = expected(c.bytes);
            const name = target ? (c.target ?? shown.name) : null;
            const noSource = `„${c.source}“ ist keine Quelldatei: sie hat weder [COORDINATES] noch [DESCRIPTION].`;
            const said = target ? `„${c.source}“ umgerechnet in „${name}“` : noSource;
            assert.deepEqual(shown, { message: said, hints, name, target: target?.toString("latin1") ?? null });
          });
        }

        test("the hint cases at once: each row's target and hints, the ZIP of all targets", async () => {
          await choose(hintSources);
          const rows = (await engine.run(fileRows)).map(({ path, target, notes }) => [path, target, notes]);
          await engine.run(() => document.querySelector("#result .downloads button").click());
          const zip = join(scratch(), "zieldateien.zip");
          const saved = await until(() => engine.run(() => offered.length > 0 && latin1(offered.at(-1).blob)));
          fs.writeFileSync(zip, saved, "latin1");
          const wanted = hintSources.map(({ name, content }) => ({ name, ...expected(content) }));
          const targetName = ({ name, target }) => (target ? name.replace(/\.bcr$/, ".asc") : "keine Quelldatei");
          const shown = wanted.map((w) => [w.name, targetName(w), w.hints]); // in the table's order
          assert.deepEqual(rows, shown);
          const targets = wanted.filter(({ target }) => target).map((w) => [targetName(w), w.target]);
          assert.deepEqual(unzipped(zip), Object.fromEntries(targets));
        });

        test("a source of 200 MiB converts in bounded memory", async () => {
          const growth = memoryGrowth(engine.processes);
          await choose([large.path]);
          const { target } = await engine.run(shownForOne);
          assert.equal(target, large.target);
          assert.ok(growth() <= 128, `the browser grew by ${growth().toFixed(0)} MiB`);
        });

        test("a conversion cancelled gives nothing; the next choice converts", async () => {
          const file = { name: "messung.bcr", content: cases[0].bytes };
          await choose([file], { holding: true });
          await until(() =>
            engine.run(() => conversions > 0 && document.querySelector("#cancel").click() === undefined),
          );
          await engine.run(() => (globalThis.holding = false) || release());
          // No object URL is left of it or of the results before (the test watches the page's URLs
          // from after its workers' scripts on).
          const shown = () => [
            document.querySelector("#result .message").textContent,
            document.querySelector("#reading").hidden,
            document.querySelectorAll("#result :is(a, button), .leaflet-interactive").length,
            aliveUrls(),
          ];
          assert.deepEqual(await engine.run(shown), ["Abgebrochen; nichts wurde umgerechnet", true, 0, 0]);
          await choose([file]);
          assert.match(await engine.run(message), /^„messung.bcr“ umgerechnet in /);
        });

        test("the page read the files for its workers only where they cannot read them; no errors", async () => {
          const seen = await engine.run(() => [pageReads > 0, errors]);
          assert.deepEqual(seen, [engineName === "WebKit" && fromDisk, []]);
        });
      });
    }
  });
}
