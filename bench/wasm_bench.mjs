// The converter compiled to WebAssembly, timed under node: ns per stereo frame of full-scale
// noise at the default rate, for the bare slopecrush_process on blocks already in the module's
// memory, and for what the AudioWorklet processor does per 128-frame quantum (set both
// parameters, copy the inputs in and the outputs out). Medians of 7 rounds of about 0.3 s.
//   node bench/wasm_bench.mjs [build/web/site/slopecrush.wasm]
import { readFileSync } from 'node:fs';

const path = process.argv[2] ?? new URL('../build/web/site/slopecrush.wasm', import.meta.url);
const wasm = new WebAssembly.Instance(new WebAssembly.Module(readFileSync(path)), {}).exports;
wasm._initialize?.();
const capacity = wasm.slopecrush_capacity();
const [inLeft, inRight, outLeft, outRight] = [0, 1, 2, 3].map(
  (i) => new Float32Array(wasm.memory.buffer, wasm.slopecrush_buffer(i), capacity),
);

// A fixed-seed noise signal, the same on every run.
const kFrames = 1 << 16;
let state = 0x2545f491;
const noise = (length) =>
  Float32Array.from({ length }, () => {
    state ^= state << 13;
    state ^= state >>> 17;
    state ^= state << 5;
    return (state >>> 0) / 2147483648 - 1;
  });
const left = noise(kFrames);
const right = noise(kFrames);

function bare(block) {
  inLeft.set(left.subarray(0, block));
  inRight.set(right.subarray(0, block));
  return () => {
    for (let at = 0; at < kFrames; at += block) wasm.slopecrush_process(block);
  };
}

// The processor's work per quantum, with views made once as it makes them.
function quanta() {
  const views = [inLeft, inRight, outLeft, outRight].map((v) => v.subarray(0, 128));
  const out = [new Float32Array(128), new Float32Array(128)];
  const blocks = [];
  for (let at = 0; at < kFrames; at += 128)
    blocks.push([left.subarray(at, at + 128), right.subarray(at, at + 128)]);
  return () => {
    for (const [l, r] of blocks) {
      wasm.slopecrush_set_parameter(0, 0);
      wasm.slopecrush_set_parameter(1, 14);
      views[0].set(l);
      views[1].set(r);
      wasm.slopecrush_process(128);
      out[0].set(views[2]);
      out[1].set(views[3]);
    }
  };
}

function nsPerFrame(run) {
  const rounds = [];
  for (let i = 0; i < 3; ++i) run(); // warm-up: the engine's optimising tier
  for (let round = 0; round < 7; ++round) {
    let passes = 0;
    const start = process.hrtime.bigint();
    let elapsed = 0n;
    while (elapsed < 300_000_000n) {
      run();
      ++passes;
      elapsed = process.hrtime.bigint() - start;
    }
    rounds.push(Number(elapsed) / (passes * kFrames));
  }
  return rounds.sort((a, b) => a - b)[3];
}

console.log(`node ${process.version}, ${path}`);
for (const [name, run] of [
  ['process, 128 frames', bare(128)],
  ['process, 512 frames', bare(512)],
  ['process, 4096 frames', bare(4096)],
  ['processor quantum (128)', quanta()],
]) {
  const ns = nsPerFrame(run);
  console.log(
    `${name.padEnd(26)} ${ns.toFixed(2).padStart(6)} ns/frame  ${(1e3 / ns).toFixed(0).padStart(4)} M frames/s`,
  );
}
