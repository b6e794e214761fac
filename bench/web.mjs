// Times the web edition against the native converter on a source of MIB mebibytes (default 256)
// of ignored lines with the sections in the middle: the median of RUNS runs each (default 3),
// with peak memory (the native program's, and the browser's renderer process, which runs the
// page and its worker). Not a test: it prints figures.
// Usage: node bench/web.mjs [RUNS] [MIB]
import { spawnSync } from "node:child_process";
import { existsSync, mkdirSync, openSync, writeSync, closeSync, readFileSync, readdirSync } from "node:fs";
import { fileURLToPath } from "node:url";
import { launchChromium, openPage, serveSite } from "../web/test/site.mjs";

const runs = Number(process.argv[2] ?? 3);
const mebibytes = Number(process.argv[3] ?? 256);
const folder = fileURLToPath(new URL("../build/bench/", import.meta.url));
const source = `${folder}web_ignored_${mebibytes}.bcr`;
const native = fileURLToPath(new URL("../build/release/kalmira", import.meta.url));
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor((values.length - 1) / 2)];

if (!existsSync(source)) {
  mkdirSync(folder, { recursive: true });
  const block = Buffer.from("REMARK=measured in the field, nothing the converter reads here 0123456789\r\n".repeat(4096));
  const sections = "[COORDINATES]\r\nP1=3456789,5987654.3\r\nP2=1000000,1000000\r\n" +
                   "[DESCRIPTION]\r\nP1=Name,Street,City\r\nP2=A,B,C\r\n[END]\r\n";
  const file = openSync(source, "w");
  const half = (mebibytes << 19) / block.length;
  for (let i = 0; i < half; ++i) writeSync(file, block);
  writeSync(file, sections);
  for (let i = 0; i < half; ++i) writeSync(file, block);
  closeSync(file);
}

const nativeRuns = [];
for (let i = 0; i < runs; ++i) {
  const { stderr } = spawnSync("/usr/bin/time", ["-f", "%e %M", native, source, `${folder}web_ignored.asc`],
                               { input: "", stdio: ["pipe", "ignore", "pipe"] });
  const [seconds, kib] = stderr.toString().trim().split("\n").pop().split(" ").map(Number);
  nativeRuns.push({ seconds, mib: kib / 1024 });
}

// The largest peak resident size among the browser's renderer processes, in MiB.
function rendererPeak() {
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

const site = await serveSite();
const pageRuns = [];
for (let i = 0; i < runs; ++i) {
  const browser = await launchChromium();
  const { page } = await openPage(browser, site.url);
  await page.goto(site.url);
  await page.waitForTimeout(1000);  // as a person takes a moment to choose the file
  const idle = rendererPeak();
  const start = performance.now();
  await page.setInputFiles("#source-file", source);
  await page.locator("#count").filter({ hasText: "Punkt" }).waitFor({ timeout: 600000 });
  const seconds = (performance.now() - start) / 1000;
  if ((await page.locator("#count").textContent()) !== "2 Punkte") throw new Error("wrong result");
  pageRuns.push({ seconds, mib: rendererPeak(), idle });
  await browser.close();
}
site.server.close();

const nativeSeconds = median(nativeRuns.map((run) => run.seconds));
const pageSeconds = median(pageRuns.map((run) => run.seconds));
console.log(`${mebibytes} MiB of ignored lines, median of ${runs} runs`);
console.log(`native kalmira: ${nativeSeconds.toFixed(2)} s, peak ${median(nativeRuns.map((r) => r.mib)).toFixed(0)} MiB`);
console.log(`web page:       ${pageSeconds.toFixed(2)} s (${(pageSeconds / nativeSeconds).toFixed(1)}x), ` +
            `renderer peak ${median(pageRuns.map((r) => r.mib)).toFixed(0)} MiB ` +
            `(${median(pageRuns.map((r) => r.idle)).toFixed(0)} MiB before the file)`);
