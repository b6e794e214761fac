// A deterministic generator (xorshift32), so that a failure can be repeated: each call gives a
// whole number below `n`.
export function randomNumbers(seed) {
  let state = seed;
  return (n) => {
    state ^= state << 13;
    state ^= state >>> 17;
    state ^= state << 5;
    return (state >>> 0) % n;
  };
}
