// WAV files read here rather than by the browser: browsers scale integer samples their own way
// (Chromium divides positive 16-bit samples by 32767), while the renderer, through libsndfile,
// divides every integer sample by a power of two. Read like this, a WAV file gives the page the
// samples the renderer gives the plug-in, so the download can match it to the bit. The file is
// read a window at a time and in slices, so a long one neither doubles in memory nor holds up the
// page.
import { Slices } from './slices.js';
import { Unreadable } from './unreadable.js';

const kPcm = 1;
const kFloat = 3;
const kExtensible = 0xfffe;
const kWindowBytes = 1 << 20;
// The rates an AudioBuffer holds, so what the page can play and render.
const kBrowserRates = { lowest: 3000, highest: 768000 };

export function playableRate(rate) {
  return rate >= kBrowserRates.lowest && rate <= kBrowserRates.highest;
}

// Refuses a rate no AudioBuffer holds, saying what the renderer, which takes any, does instead.
export function refuseUnplayableRate(rate) {
  if (!playableRate(rate))
    throw new Unreadable(
      `its sample rate, ${rate} Hz, is one no browser plays (they take ` +
        `${kBrowserRates.lowest} to ${kBrowserRates.highest} Hz); slopecrush-render crushes it ` +
        `at ${rate} Hz`,
    );
}

// The bytes of a file near where the reader is, a window at a time.
class Window {
  constructor(file) {
    this.file = file;
    this.start = 0;
    this.view = new DataView(new ArrayBuffer(0));
  }

  holds(at, length) {
    const end = Math.min(at + length, this.file.size);
    return at >= this.start && end <= this.start + this.view.byteLength;
  }

  async load(at) {
    const end = Math.min(this.file.size, at + kWindowBytes);
    this.view = new DataView(await this.file.slice(at, end).arrayBuffer());
    this.start = at;
  }

  tag(at) {
    const bytes = new Uint8Array(this.view.buffer, at - this.start, 4);
    return String.fromCharCode(...bytes);
  }

  u16(at) {
    return this.view.getUint16(at - this.start, true);
  }

  u32(at) {
    return this.view.getUint32(at - this.start, true);
  }

  u64(at) {
    return Number(this.view.getBigUint64(at - this.start, true));
  }
}

// The first two channels of a RIFF, RF64 or BW64 WAV file of integer (8 to 32 bits) or float (32
// or 64 bits) samples: a promise of { buffer, sourceChannels, promisedFrames } (an AudioBuffer;
// promisedFrames is what the header counts, more than the buffer holds when the file is cut
// short), or null for any other file (compressed WAV, not WAV at all), which the browser decodes
// instead. A WAV file the page cannot take is refused with its cause (Unreadable).
export async function readWav(file) {
  const bytes = new Window(file);
  await bytes.load(0);
  if (file.size < 12 || !['RIFF', 'RF64', 'BW64'].includes(bytes.tag(0)) || bytes.tag(8) !== 'WAVE')
    return null;
  const slices = new Slices();
  let format = null;
  let dataSize64 = null; // RF64: the data chunk's size, in the ds64 chunk
  for (let at = 12; at + 8 <= file.size;) {
    // A file may hold millions of chunks before its sound.
    if (slices.due()) await slices.pause();
    if (!bytes.holds(at, 64)) await bytes.load(at);
    const id = bytes.tag(at);
    let size = bytes.u32(at + 4);
    if (id === 'ds64' && size >= 24 && bytes.holds(at, 32)) dataSize64 = bytes.u64(at + 16);
    if (id === 'fmt ' && size >= 16 && bytes.holds(at, 8 + Math.min(size, 40))) {
      let kind = bytes.u16(at + 8);
      if (kind === kExtensible && size >= 26) kind = bytes.u16(at + 32); // the sub-format
      format = {
        kind,
        count: bytes.u16(at + 10),
        sampleRate: bytes.u32(at + 12),
        frameBytes: bytes.u16(at + 20),
        bits: bytes.u16(at + 22),
      };
    }
    if (id === 'data') {
      if (!format) throw new Unreadable('it is a WAV file with no format chunk before its sound');
      if (size === 0xffffffff && dataSize64 !== null) size = dataSize64;
      return samplesOf(file, at + 8, size, format, slices);
    }
    at += 8 + size + (size & 1);
  }
  throw new Unreadable(
    format ? 'it is a WAV file with no data chunk' : 'it is a WAV file with no format chunk',
  );
}

async function samplesOf(file, start, size, { kind, count, sampleRate, frameBytes, bits }, slices) {
  if (kind !== kPcm && kind !== kFloat) return null; // compressed: the browser's to decode
  if (count === 0) throw new Unreadable('its header names no channels');
  if (bits === 0) throw new Unreadable('its header names samples of 0 bits');
  if (sampleRate === 0) throw new Unreadable('its header names a sample rate of 0 Hz');
  const width = frameBytes / count; // bytes per sample as stored
  const convert = converterFor(kind, width, bits);
  if (!convert || bits > width * 8)
    throw new Unreadable(
      `its header does not add up: ${count} channels of ${bits}-bit ` +
        `${kind === kFloat ? 'float' : 'integer'} samples in frames of ${frameBytes} bytes`,
    );
  const promisedFrames = Math.floor(size / frameBytes);
  const frames = Math.floor(Math.min(size, file.size - start) / frameBytes);
  if (frames === 0) throw new Unreadable('it holds no sound (no frames)');
  refuseUnplayableRate(sampleRate);

  const kept = Math.min(count, 2);
  const buffer = new AudioBuffer({ numberOfChannels: kept, length: frames, sampleRate });
  const perWindow = Math.max(1, Math.floor(kWindowBytes / frameBytes));
  const pieces = Array.from({ length: kept }, () => new Float32Array(Math.min(perWindow, frames)));
  for (let done = 0; done < frames;) {
    const n = Math.min(perWindow, frames - done);
    const at = start + done * frameBytes;
    const window = await file.slice(at, at + n * frameBytes).arrayBuffer();
    for (let c = 0; c < kept; ++c) {
      convert(window, c, count, n, pieces[c]);
      buffer.copyToChannel(pieces[c].subarray(0, n), c, done);
    }
    done += n;
    if (slices.due()) await slices.pause();
  }
  return { buffer, sourceChannels: count, promisedFrames };
}

// How channel c of n frames of count channels is read, as libsndfile reads it into a float:
// integers divided by 2^(bits - 1) of their container (8-bit samples are unsigned), 32-bit
// integers rounded to float first; floats as they are (bit for bit) or rounded from double.
function converterFor(kind, width, bits) {
  const strided = (Type, scale) => (bytes, c, count, n, out) => {
    const from = new Type(bytes, 0, n * count);
    for (let i = 0; i < n; ++i) out[i] = scale(from[i * count + c]);
  };
  if (kind === kFloat) {
    if (width === 4 && bits === 32) {
      // As 32-bit words, so that every bit pattern stays (a NaN's payload included).
      const copy = strided(Uint32Array, (word) => word);
      return (bytes, c, count, n, out) =>
        copy(bytes, c, count, n, new Uint32Array(out.buffer, out.byteOffset, n));
    }
    if (width === 8 && bits === 64) return strided(Float64Array, (v) => v);
    return null;
  }
  switch (width) {
    case 1:
      return strided(Uint8Array, (v) => (v - 128) / 128);
    case 2:
      return strided(Int16Array, (v) => v / 32768);
    case 3:
      return (bytes, c, count, n, out) => {
        const from = new Uint8Array(bytes);
        for (let i = 0, at = c * 3; i < n; ++i, at += count * 3)
          out[i] = ((from[at + 2] << 24) | (from[at + 1] << 16) | (from[at] << 8)) / 2147483648;
      };
    case 4:
      return strided(Int32Array, (v) => Math.fround(v) / 2147483648);
    default:
      return null;
  }
}
