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

// A new page, in a context of its own, in `browser` with the site, or with the single file if
// `fromDisk`; `init` runs in the page before its own script. `tiles` collects the tile requests,
// `outside` every other request beyond the page's origin, and `errors` the page's errors and the
// messages it logs as errors.
export async function openPage(browser, { fromDisk = false, viewport = { width: 1100, height: 900 }, init } = {}) {
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
    } catch {} // the process ended
  }
  return peak;
}
