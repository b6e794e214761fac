// Times the web edition against the native converter on FILES sources (default 1) of MIB
// mebibytes each (default 256) of ignored lines with the sections in the middle, or, with MIB 0,
// of the shipped example: the median of RUNS runs each (default 3), with memory (the native
// program's peak, and how much the page's process, which runs the page and its worker, grew). The native program
// converts the files one after another, as a shell loop does; the page takes them all at once.
// Not a test: it prints figures. Usage: node bench/web.mjs [RUNS] [MIB] [FILES]
import { spawnSync } from "node:child_process";
import { closeSync, existsSync, linkSync, mkdirSync, openSync, rmSync, writeSync } from "node:fs";
import { fileURLToPath } from "node:url";
import { launchChromium, memoryGrowth, openPage } from "../web/test/site.mjs";

const runs = Number(process.argv[2] ?? 3);
const mebibytes = Number(process.argv[3] ?? 256);
const count = Number(process.argv[4] ?? 1);
const folder = fileURLToPath(new URL("../build/bench/", import.meta.url));
// With 0 MiB, the shipped example.
const source =
  mebibytes > 0
    ? `${folder}web_ignored_${mebibytes}.bcr`
    : fileURLToPath(new URL("../examples/survey.bcr", import.meta.url));
const native = fileURLToPath(new URL("../build/release/kalmira", import.meta.url));
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor((values.length - 1) / 2)];

if (mebibytes > 0 && !existsSync(source)) {
  mkdirSync(folder, { recursive: true });
  const block = Buffer.from(
    "REMARK=measured in the field, nothing the converter reads here 0123456789\r\n".repeat(4096),
  );
  const sections =
    "[COORDINATES]\r\nP1=3456789,5987654.3\r\nP2=1000000,1000000\r\n" +
    "[DESCRIPTION]\r\nP1=Name,Street,City\r\nP2=A,B,C\r\n[END]\r\n";
  const file = openSync(source, "w");
  const half = (mebibytes << 19) / block.length;
  for (let i = 0; i < half; ++i) writeSync(file, block);
  writeSync(file, sections);
  for (let i = 0; i < half; ++i) writeSync(file, block);
  closeSync(file);
}
// The sources, as names of the one file: their bytes are read all the same.
mkdirSync(folder, { recursive: true });
const sources = Array.from({ length: count }, (_, i) => `${folder}web_ignored_${mebibytes}_${i + 1}.bcr`);
sources.forEach((path) => {
  rmSync(path, { force: true });
  linkSync(source, path);
});

// The native program on each file in turn, in a shell loop: its time, and the largest peak
// memory of a run.
const loop = 'for source in "$@"; do "$0" "$source" /dev/null < /dev/null > /dev/null; done';
const nativeRuns = Array.from({ length: runs }, () => {
  const run = ["-f", "%e %M", "bash", "-c", loop, native, ...sources];
  const { stderr } = spawnSync("/usr/bin/time", run, { stdio: ["ignore", "ignore", "pipe"] });
  const [seconds, kib] = stderr.toString().trim().split("\n").pop().split(" ").map(Number);
  return { seconds, mib: kib / 1024 };
});

const pageRuns = [];
for (let i = 0; i < runs; ++i) {
  const browser = await launchChromium();
  const { page } = await openPage(browser);
  await page.waitForTimeout(1000); // as a person takes a moment to choose the files
  const growth = memoryGrowth();
  const start = performance.now();
  await page.setInputFiles("#source-file", sources);
  await page.locator("#result .count").waitFor({ timeout: 600000 });
  const seconds = (performance.now() - start) / 1000;
  const points = (mebibytes > 0 ? 2 : 3) * count;
  if ((await page.locator("#result .count").textContent()) !== `${points.toLocaleString("de-DE")} Punkte`) {
    throw new Error("wrong result");
  }
  pageRuns.push({ seconds, mib: growth() });
  await browser.close();
}

const nativeSeconds = median(nativeRuns.map((run) => run.seconds));
const pageSeconds = median(pageRuns.map((run) => run.seconds));
console.log(
  `${count} × ${mebibytes > 0 ? `${mebibytes} MiB of ignored lines` : "the shipped example"}, median of ${runs} runs`,
);
console.log(
  `native kalmira: ${nativeSeconds.toFixed(2)} s, peak ${median(nativeRuns.map((r) => r.mib)).toFixed(0)} MiB`,
);
console.log(
  `web page:       ${pageSeconds.toFixed(2)} s (${(pageSeconds / nativeSeconds).toFixed(1)}x), ` +
    `page's process grew by ${median(pageRuns.map((r) => r.mib)).toFixed(0)} MiB`,
);
