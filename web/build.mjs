// Builds the page around the core's WebAssembly module with esbuild, minified: the site
// (index.html, kalmira.js, kalmira.css and kalmira.html) in SITE. kalmira.html is the whole page
// in one file, which converts with no server and no network when opened from disk.
// Usage: node build.mjs CORE.wasm SITE NODE_MODULES TILE_URL TILE_ATTRIBUTION BETA2007.gsb
import { createHash } from "node:crypto";
import { mkdirSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { createRequire } from "node:module";
import { join } from "node:path";
import { gzipSync } from "node:zlib";
import { fileURLToPath } from "node:url";

const [core, site, modules, tileUrl, tileAttribution, grid] = process.argv.slice(2);
const { buildSync } = createRequire(join(modules, "package.json"))("esbuild");
const source = (name) => fileURLToPath(new URL(name, import.meta.url));

function bundle(entry, define = {}) {
  const { outputFiles } = buildSync({
    entryPoints: [source(entry)],
    bundle: true,
    minify: true,
    write: false,
    format: "iife",
    outdir: "out",
    nodePaths: [modules],
    external: ["*.png", "*.svg"],
    define,
    legalComments: "none",
    charset: "utf8",
    target: "es2022",
  });
  return outputFiles[0].text;
}

const base64 = (path) => JSON.stringify(readFileSync(path).toString("base64"));
const worker = bundle("worker.js", { KALMIRA_CORE: base64(core) });
const exportWorker = bundle("export_worker.js", { KALMIRA_BETA2007: base64(grid) });
const script = bundle("main.js", {
  KALMIRA_WORKER: JSON.stringify(worker),
  KALMIRA_EXPORT_WORKER: JSON.stringify(exportWorker),
  KALMIRA_TILE_URL: JSON.stringify(tileUrl),
  KALMIRA_TILE_ATTRIBUTION: JSON.stringify(tileAttribution),
});
const style = bundle("style.css");

// The page's policy: its own parts (in the single file, exactly its inline script and style),
// the worker it makes from a blob, the core compiled from bytes, and map tiles as images.
// A tile URL with {s} takes the server's subdomains ({s}.tile.example.org): any of them.
const tiles = new URL(tileUrl.replace("{s}", "*").replace(/[{}]/g, "")).origin;
const hash = (text) => `'sha256-${createHash("sha256").update(text).digest("base64")}'`;
const policy = (scripts, styles) =>
  [
    "default-src 'none'",
    `script-src ${scripts} 'wasm-unsafe-eval'`,
    "worker-src blob:",
    `style-src ${styles}`,
    `img-src ${scripts === "'self'" ? "'self' " : ""}data: ${tiles}`,
    "connect-src 'none'",
    "object-src 'none'",
    "base-uri 'none'",
    "form-action 'none'",
  ].join("; ");

const template = readFileSync(source("index.html"), "utf8");
const page = (fields) => template.replace(/@(POLICY|STYLE|SCRIPT)@/g, (_, field) => fields[field]);
rmSync(site, { recursive: true, force: true }); // no file of an earlier build stays
mkdirSync(site, { recursive: true });
writeFileSync(join(site, "kalmira.js"), script);
writeFileSync(join(site, "kalmira.css"), style);
writeFileSync(
  join(site, "index.html"),
  page({
    POLICY: policy("'self'", "'self'"),
    STYLE: '<link rel="stylesheet" href="kalmira.css">',
    SCRIPT: '<script src="kalmira.js"></script>',
  }),
);
// The single file offers no copy of itself, and its inline parts must not end early.
if (/<\/script/i.test(script) || /<\/style/i.test(style)) throw new Error("an inline part would end early");
writeFileSync(
  join(site, "kalmira.html"),
  page({
    POLICY: policy(hash(script), hash(style)),
    STYLE: `<style>${style}</style>`,
    SCRIPT: `<script>${script}</script>`,
  }).replace(/\s*<!-- hosted -->[^]*<!-- \/hosted -->/, ""),
);

// What a page load costs: each file's bytes, plain and compressed as a server sends them.
for (const name of ["index.html", "kalmira.js", "kalmira.css", "kalmira.html"]) {
  const bytes = readFileSync(join(site, name));
  console.log(`${name.padEnd(12)} ${String(bytes.length).padStart(8)} bytes, ${gzipSync(bytes).length} with gzip`);
}
