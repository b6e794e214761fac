// Serves the built site (build/web) on the loopback interface and starts Debian's Chromium on
// it, for the browser tests and the benchmark. Requests that would leave the page's origin are
// collected: map tiles are answered here with a plain drawn tile, anything else fails.
import { createServer } from "node:http";
import { readdirSync, readFileSync } from "node:fs";
import { readFile } from "node:fs/promises";
import { extname } from "node:path";
import { chromium } from "playwright-core";

export const siteDirectory = new URL("../../build/web/", import.meta.url);
const types = { ".html": "text/html", ".js": "text/javascript", ".css": "text/css" };

export async function serveSite() {
  const server = createServer(async (request, response) => {
    const path = new URL(request.url, "http://localhost").pathname.replace(/\/$/, "/index.html");
    try {
      const body = await readFile(new URL(`.${decodeURIComponent(path)}`, siteDirectory));
      response.writeHead(200, { "Content-Type": types[extname(path)] ?? "application/octet-stream" });
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
  return { server, url: `http://127.0.0.1:${server.address().port}/` };
}

const tile = '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256"><rect width="256" height="256" fill="#f2efe9"/></svg>';

export async function launchChromium() {
  return chromium.launch({
    executablePath: "/usr/bin/chromium",
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
           "--disable-background-networking", "--disable-component-update", "--disable-sync"],
  });
}

// A new page in `browser` for the site at `origin` (null for a file opened from disk).
// `tiles` collects the tile requests, `outside` every other request beyond the origin, and
// `errors` the page's errors and the messages it logs as errors.
export async function openPage(browser, origin, viewport = { width: 1100, height: 900 }) {
  const context = await browser.newContext({ acceptDownloads: true, viewport });
  const page = await context.newPage();
  const [tiles, outside, errors] = [[], [], []];
  page.on("pageerror", (error) => errors.push(error.message));
  page.on("console", (message) => message.type() === "error" && errors.push(message.text()));
  await context.route(/^https?:\/\//, (route) => {
    const address = route.request().url();
    if (origin && address.startsWith(origin)) return route.continue();
    if (/\/\d+\/\d+\/\d+\.png$/.test(address)) {
      tiles.push(address);
      return route.fulfill({ contentType: "image/svg+xml", body: tile });
    }
    outside.push(address);
    return route.abort();
  });
  return { context, page, tiles, outside, errors };
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
