// The worker behind offlinerender.js: it keeps a copy of the sound open on the page and renders
// it through its own instance of slopecrush.wasm, a slice at a time, into the WAV file the
// download saves and the crushed waveform's peaks. A newer request stops an older one at its next
// slice, so changes are never queued behind a render nobody wants any more.
//
// Threads: the worker's own; a render allocates its output a slice at a time and hands each
// slice to a Blob, so its heap holds the sound and one slice.
//
// Messages in: { type: 'sound', sound, sampleRate, count, length }, then { type: 'samples',
// sound, offset, channels } until every frame came, then { type: 'render', job, values } (plain
// values by parameter index). Out: { type: 'dry', sound, peaks } once the sound is whole;
// { type: 'progress', job, done } (0..1); { type: 'rendered', job, blob, peaks }; { type:
// 'failed', job, message }.
import { Peaks } from './peaks.js';
import { Slices } from './slices.js';
import { compileSlopeCrush } from './slopecrush.js';
import { floatWavHeader, interleave } from './wavwriter.js';

const kSliceFrames = 1 << 16; // frames between two looks at the messages waiting

let sound = null; // { id, sampleRate, channels, received }
let newest = 0; // the job of the newest render asked for

const wasm = compileSlopeCrush().then(async (module) => {
  const { exports } = await WebAssembly.instantiate(module, {});
  exports._initialize?.();
  return exports;
});

async function render(job, values) {
  const effect = await wasm;
  const { sampleRate, channels } = sound;
  const length = channels[0].length;
  const capacity = effect.slopecrush_capacity();
  const view = (i) => new Float32Array(effect.memory.buffer, effect.slopecrush_buffer(i), capacity);
  const [inLeft, inRight, outLeft, outRight] = [0, 1, 2, 3].map(view);
  // A new effect at these settings, as an AudioParam holds them (single precision).
  effect.slopecrush_reset();
  values.forEach((value, index) => effect.slopecrush_set_parameter(index, Math.fround(value)));
  const [left, right] = [channels[0], channels[channels.length > 1 ? 1 : 0]]; // mono: both sides
  const header = floatWavHeader(length, 2, sampleRate);
  const parts = [header];
  const peaks = new Peaks(length);
  const slices = new Slices();
  for (let at = 0; at < length;) {
    const frames = Math.min(kSliceFrames, length - at);
    const out = [new Float32Array(frames), new Float32Array(frames)];
    for (let done = 0; done < frames;) {
      const n = Math.min(capacity, frames - done);
      inLeft.set(left.subarray(at + done, at + done + n));
      inRight.set(right.subarray(at + done, at + done + n));
      effect.slopecrush_process(n);
      out[0].set(outLeft.subarray(0, n), done);
      out[1].set(outRight.subarray(0, n), done);
      done += n;
    }
    peaks.add(out, at);
    parts.push(new Blob([interleave(out)])); // in the browser's keeping, not this heap's
    at += frames;
    if (slices.due()) {
      postMessage({ type: 'progress', job, done: at / length });
      await slices.pause();
      if (job !== newest) return; // replaced
    }
  }
  postMessage({ type: 'rendered', job, blob: new Blob(parts, { type: 'audio/wav' }), peaks });
}

onmessage = ({ data }) => {
  switch (data.type) {
    case 'sound':
      ++newest; // a render of the sound before stops
      sound = {
        id: data.sound,
        sampleRate: data.sampleRate,
        channels: Array.from({ length: data.count }, () => new Float32Array(data.length)),
        received: 0,
      };
      break;
    case 'samples': {
      if (data.sound !== sound.id) break; // the rest of a sound replaced meanwhile
      data.channels.forEach((samples, c) => sound.channels[c].set(samples, data.offset));
      sound.received += data.channels[0].length;
      if (sound.received === sound.channels[0].length) {
        const peaks = new Peaks(sound.received);
        peaks.add(sound.channels, 0);
        postMessage({ type: 'dry', sound: sound.id, peaks });
      }
      break;
    }
    case 'render':
      newest = data.job;
      render(data.job, data.values).catch((error) =>
        postMessage({ type: 'failed', job: data.job, message: error.message }),
      );
      break;
  }
};
