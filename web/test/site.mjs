// Opens the built site (build/web) in Debian's Chromium, for the browser tests and the
// benchmark: served at SITE by the page's own routes, or the single file from disk. Requests
// that would leave the page's origin are collected: map tiles are answered with a plain drawn
// tile, anything else fails.
import { readdirSync, readFileSync } from "node:fs";
import { fileURLToPath } from "node:url";
import { chromium } from "playwright-core";

export const siteDirectory = new URL("../../build/web/", import.meta.url);
export const SITE = "http://localhost/";

const tile = '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256"><rect width="256" height="256" fill="#f2efe9"/></svg>';

export async function launchChromium() {
  return chromium.launch({
    executablePath: "/usr/bin/chromium",
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
           "--disable-background-networking", "--disable-component-update", "--disable-sync"],
  });
}

// A new page in `browser` with the site, or with the single file if `fromDisk`; `init` runs in
// the page before its own script; the page is closed when the node:test test `test` ends.
// `tiles` collects the tile requests, `outside` every other request beyond the page's origin,
// and `errors` the page's errors and the messages it logs as errors.
export async function openPage(browser, { fromDisk = false, viewport = { width: 1100, height: 900 }, init, test } = {}) {
  const context = await browser.newContext({ acceptDownloads: true, viewport });
  test?.after(() => context.close());
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
      return route.fulfill({ contentType: "image/svg+xml", body: tile });
    }
    outside.push(address.href);
    return route.abort();
  });
  if (init) await page.addInitScript(init);
  await page.goto(fromDisk ? new URL("kalmira.html", siteDirectory).href : SITE);
  return { page, tiles, outside, errors };
}

// The largest peak resident size among the browser's renderer processes, in MiB.
export function rendererPeak() {
  let peak = 0;
  for (const pid of readdirSync("/proc").filter((name) => /^\d+$/.test(name))) {
    try {
      if (!readFileSync(`/proc/${pid}/cmdline`, "latin1").includes("--type=renderer")) continue;
      const hwm = readFileSync(`/proc/${pid}/status`, "latin1").match(/VmHWM:\s+(\d+)/);
      peak = Math.max(peak, Number(hwm[1]) / 1024);
    } catch { /* the process ended */ }
  }
  return peak;
}
