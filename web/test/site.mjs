// Opens the built site (build/web) in Debian's Chromium, for the browser tests and the
// benchmark: served at SITE by the page's own routes, or the single file from disk. Requests
// that would leave the page's origin are collected: map tiles are answered with a plain drawn
// tile, anything else fails.
import { readdirSync, readFileSync } from "node:fs";
import { fileURLToPath } from "node:url";
import { chromium } from "playwright-core";

export const siteDirectory = new URL("../../build/web/", import.meta.url);
export const SITE = "http://localhost/";

const square = 'width="256" height="256"';
const tile = `<svg xmlns="http://www.w3.org/2000/svg" ${square}><rect ${square} fill="#f2efe9"/></svg>`;

// Headless, and quiet: no connection of Chromium's own leaves the machine.
const quiet = "--disable-background-networking --disable-component-update --disable-sync --no-first-run";
export async function launchChromium() {
  const args = `--no-sandbox --disable-gpu --disable-quic ${quiet}`.split(" ");
  return chromium.launch({ executablePath: "/usr/bin/chromium", args });
}

// The rows of the table of files, read in the page: each row's source, its target, its hints one
// by one, its message, and whether it stands out.
export const fileRows = () =>
  [...document.querySelectorAll("#result .files tbody tr")].map(({ cells, className }) => ({
    path: cells[0].textContent,
    target: cells[1].textContent,
    notes: [...cells[3].querySelectorAll("li")].map((li) => li.textContent),
    message: cells[3].firstChild.textContent,
    attention: className === "attention",
  }));

// What the tests watch in a page: the object URLs alive (and the Blob of each), the conversions
// started, the blocks read for a worker, the workers' errors (logged as the page's own); and what
// it holds back until `release()`: conversions while `holding` is set (and the ends of folder
// reads that `watchReads` holds).
export function watch() {
  const [make, revoke, post] = [URL.createObjectURL, URL.revokeObjectURL, Worker.prototype.postMessage];
  const alive = new Map();
  URL.createObjectURL = (object) => {
    const url = make(object);
    alive.set(url, object);
    return url;
  };
  URL.revokeObjectURL = (url) => {
    alive.delete(url);
    revoke(url);
  };
  const held = (globalThis.held = []);
  Object.assign(globalThis, { conversions: 0, pageReads: 0 });
  Worker.prototype.postMessage = function (...message) {
    if (!this.watched) this.addEventListener("error", (event) => console.error(event.message));
    this.watched = true;
    globalThis.conversions += message[0]?.convert ? 1 : 0;
    globalThis.pageReads += message[0]?.answer ? 1 : 0;
    if (globalThis.holding && message[0]?.convert) held.push(() => post.apply(this, message));
    else post.apply(this, message);
  };
  const release = () => held.splice(0).forEach((send) => send());
  Object.assign(globalThis, { aliveUrls: () => alive.size, blobOf: (url) => alive.get(url), release });
}

// Besides `watch`: the folder reads still running, their ends held while `holdingReads` is set,
// and the longest task of the page's main thread. The browser names no type for a dropped
// folder's entries, so their reads are counted from the first entry of each kind on.
export function watchReads() {
  Object.assign(globalThis, { longestTask: 0, readsRunning: 0 });
  const counted = (object, name) => {
    const prototype = Object.getPrototypeOf(object);
    const read = prototype[name];
    if (read.counted) return;
    prototype[name] = Object.assign(
      function (done, failed) {
        globalThis.readsRunning++;
        const ended =
          (then) =>
          (...results) => {
            const end = () => {
              globalThis.readsRunning--;
              [results[0]].flat().forEach((entry) => entry?.isFile && counted(entry, "file"));
              then?.(...results);
            };
            if (globalThis.holdingReads) globalThis.held.push(end);
            else end();
          };
        read.call(this, ended(done), ended(failed));
      },
      { counted: true },
    );
  };
  const entryOf = DataTransferItem.prototype.webkitGetAsEntry;
  DataTransferItem.prototype.webkitGetAsEntry = function () {
    const entry = entryOf.call(this);
    if (entry?.isDirectory) counted(entry.createReader(), "readEntries");
    return entry;
  };
  const observe = (list) => list.getEntries().forEach((task) => (longestTask = Math.max(longestTask, task.duration)));
  if (PerformanceObserver.supportedEntryTypes.includes("longtask")) {
    new PerformanceObserver(observe).observe({ type: "longtask" });
  }
}

// The processes whose command line holds `marker`: by default, Chromium's renderers.
const processes = (marker) =>
  readdirSync("/proc").filter((pid) => {
    try {
      return readFileSync(`/proc/${pid}/cmdline`, "latin1").includes(marker);
    } catch {} // no process, or one that ended
  });

// A new page in a context of its own: the site, or the single file if `fromDisk`. `tiles` collects
// the tile requests (answered with a plain tile, or failed if `tilesFail`), `outside` every other
// request beyond the page's origin, `errors` the page's errors and the errors it logs.
export async function openPage(browser, { fromDisk = false, viewport = { width: 1100, height: 900 }, tilesFail } = {}) {
  const context = await browser.newContext({ acceptDownloads: true, viewport });
  const page = await context.newPage();
  const [tiles, outside, errors] = [[], [], []];
  page.on("pageerror", (error) => errors.push(error.message));
  page.on("console", (message) => message.type() === "error" && errors.push(message.text()));
  await context.route(/^https?:\/\//, (route) => {
    const address = new URL(route.request().url());
    if (!fromDisk && address.href.startsWith(SITE)) {
      const file = fileURLToPath(new URL(`.${address.pathname.replace(/\/$/, "/index.html")}`, siteDirectory));
      return route.fulfill({ path: file }).catch(() => route.fulfill({ status: 404 }));
    }
    if (/\/\d+\/\d+\/\d+\.png$/.test(address.pathname)) {
      tiles.push(address.href);
      return tilesFail ? route.abort() : route.fulfill({ contentType: "image/svg+xml", body: tile });
    }
    outside.push(address.href);
    return route.abort();
  });
  await page.addInitScript(watch);
  await page.addInitScript(watchReads);
  await page.goto(fromDisk ? new URL("kalmira.html", siteDirectory).href : SITE);
  return { page, tiles, outside, errors };
}

const peakOf = (pid) => Number(readFileSync(`/proc/${pid}/status`, "latin1").match(/VmHWM:\s+(\d+)/)[1]) / 1024;

// How much the page at work has grown since this call, in MiB: the most the peak memory grew of
// the browser's processes that `marker` names (by default Chromium's renderers; the others idle).
export function memoryGrowth(marker = "--type=renderer") {
  const peaks = new Map(processes(marker).map((pid) => [pid, peakOf(pid)]));
  return () => Math.max(...[...peaks].map(([pid, peak]) => peakOf(pid) - peak));
}
