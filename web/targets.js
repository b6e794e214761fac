// The targets of several sources, as one download: each under the core's name for it, in the
// folders of the sources. Where two sources would give the same name (messung.bcr and
// messung.v2.bcr both give messung.asc), the later one is numbered, messung (2).asc, and its
// hints say so; names that differ only in case count as the same, as on Windows.
import { zipSync } from "fflate";

export const fileName = (path) => path.slice(path.lastIndexOf("/") + 1);

// Gives every source of `conversions` ({ path, result }, in order) that has a target a name of
// its own, with the core's words: `numbered(name, n)` names the n-th target of that name,
// `sentence(target, wanted, owner)` says why one is renamed.
export function nameTargets(conversions, { numbered, sentence }) {
  const owners = new Map(); // a taken name, in lower case → the source that has it
  for (const { path, result } of conversions) {
    if (!result.target) continue;
    const wanted = result.targetName;
    for (let n = 2; owners.has(result.targetName.toLowerCase()); ++n) result.targetName = numbered(wanted, n);
    if (result.targetName !== wanted) {
      const owner = owners.get(wanted.toLowerCase());
      result.hints.push(sentence(fileName(result.targetName), fileName(wanted), fileName(owner)));
    }
    owners.set(result.targetName.toLowerCase(), path);
  }
}

// The targets ([name, bytes] each) in one ZIP.
export const zipTargets = (targets) => zipSync(Object.fromEntries(targets));
