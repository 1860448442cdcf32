// The built slopecrush.wasm under node, and the golden vectors, for the tests.
import { readFileSync } from 'node:fs';

export const siteDir = process.env.SLOPECRUSH_SITE;
export const goldenDir = process.env.SLOPECRUSH_GOLDEN;

export function readFloats(path) {
  const bytes = readFileSync(path);
  return new Float32Array(bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.length));
}

// cases.txt: NAME FRAMES BLOCK [FRAME:PARAM=VALUE ...], the values the VST edition's normalised.
export function readCases() {
  return readFileSync(`${goldenDir}/cases.txt`, 'utf8')
    .split('\n')
    .filter((line) => line.trim() && !line.startsWith('#'))
    .map((line) => {
      const [name, frames, block, ...events] = line.trim().split(/\s+/);
      return {
        name,
        frames: Number(frames),
        block: Number(block),
        events: events.map((e) => {
          const [, frame, id, value] = e.match(/^(\d+):(\d+)=(.+)$/);
          return { frame: Number(frame), id: Number(id), value: Number(value) };
        }),
      };
    });
}

export function readCase(c) {
  const input = readFloats(`${goldenDir}/${c.name}.in.f32`);
  return {
    left: input.filter((_, i) => i % 2 === 0),
    right: input.filter((_, i) => i % 2 === 1),
    expected: readFloats(`${goldenDir}/${c.name}.out.f32`),
  };
}

// A fresh instance of the module: one effect at its defaults.
export function newConverter() {
  const module = new WebAssembly.Module(readFileSync(`${siteDir}/slopecrush.wasm`));
  const wasm = new WebAssembly.Instance(module, {}).exports;
  wasm._initialize?.();
  const view = (i) =>
    new Float32Array(wasm.memory.buffer, wasm.slopecrush_buffer(i), wasm.slopecrush_capacity());
  return { wasm, buffers: [0, 1, 2, 3].map(view) };
}

// Renders left/right in blocks whose sizes come from nextBlock(), cut so that each event
// ({ frame, set(wasm) }) is applied before the frame it names. Answers both output channels.
export function render({ wasm, buffers }, left, right, events, nextBlock) {
  const out = [new Float32Array(left.length), new Float32Array(left.length)];
  let next = 0;
  for (let at = 0; at < left.length;) {
    while (next < events.length && events[next].frame <= at) events[next++].set(wasm);
    let n = Math.min(nextBlock(), left.length - at, wasm.slopecrush_capacity());
    if (next < events.length) n = Math.min(n, events[next].frame - at);
    buffers[0].set(left.subarray(at, at + n));
    buffers[1].set(right.subarray(at, at + n));
    wasm.slopecrush_process(n);
    out[0].set(buffers[2].subarray(0, n), at);
    out[1].set(buffers[3].subarray(0, n), at);
    at += n;
  }
  return out;
}

// The first frame whose bits differ, or -1.
export function firstDifference(a, b) {
  if (a.length !== b.length) return 0;
  const x = new Uint32Array(a.buffer, a.byteOffset, a.length);
  const y = new Uint32Array(b.buffer, b.byteOffset, b.length);
  for (let i = 0; i < x.length; ++i) if (x[i] !== y[i]) return i;
  return -1;
}
