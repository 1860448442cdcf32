// Integer samples the browser decoded (FLAC), put back on the renderer's scale: libsndfile hands
// the plug-in k / 2^(bits - 1), while a browser may scale its own way (Chromium divides positive
// 16-bit samples by 32767). Which integer each decoded sample came from is decided exactly: the
// browser decodes a file of every 8- or 16-bit value once, and a sample is taken back only where
// it equals the browser's own image of an integer bit for bit. No tolerance anywhere.
import { Slices } from './slices.js';

const kProbeRate = 44100;

// The CRC of bytes as FLAC frames carry it: CRC-8 (polynomial 0x07) or CRC-16 (0x8005).
function crc(bytes, width, polynomial) {
  const top = 1 << (width - 1);
  const mask = (1 << width) - 1;
  let sum = 0;
  for (const byte of bytes) {
    sum ^= byte << (width - 8);
    for (let bit = 0; bit < 8; ++bit) sum = (sum & top ? (sum << 1) ^ polynomial : sum << 1) & mask;
  }
  return sum;
}

// A mono FLAC file of the given 8- or 16-bit samples, in verbatim frames of up to 4096.
function flacOf(samples, bits) {
  const block = Math.min(4096, samples.length);
  const bytes = [...'fLaC'].map((c) => c.charCodeAt(0));
  // STREAMINFO, the last metadata block: block sizes, frame sizes unknown, then rate (20 bits),
  // channels - 1 (3), bits - 1 (5) and the sample count (36), then an MD5 left unknown.
  const info = new DataView(new ArrayBuffer(34));
  info.setUint16(0, block);
  info.setUint16(2, block);
  const packed = (BigInt(kProbeRate) << 44n) | (BigInt(bits - 1) << 36n) | BigInt(samples.length);
  info.setBigUint64(10, packed);
  bytes.push(0x80, 0, 0, 34, ...new Uint8Array(info.buffer));
  for (let number = 0, at = 0; at < samples.length; ++number, at += block) {
    const count = Math.min(block, samples.length - at);
    // Sync, fixed blocking; block size as 16 bits at the end; rate from STREAMINFO; mono;
    // the sample size's code; the frame number (below 128, one byte).
    const frame = [0xff, 0xf8, 0x70, bits === 8 ? 0x02 : 0x08, number, (count - 1) >> 8];
    frame.push((count - 1) & 0xff);
    frame.push(crc(frame, 8, 0x07));
    frame.push(0x02); // a verbatim subframe
    for (let i = at; i < at + count; ++i)
      if (bits === 8) frame.push(samples[i] & 0xff);
      else frame.push((samples[i] >> 8) & 0xff, samples[i] & 0xff);
    const sum = crc(frame, 16, 0x8005);
    bytes.push(...frame, sum >> 8, sum & 0xff);
  }
  return new Uint8Array(bytes).buffer;
}

// The browser's image of every integer of a size, as float bit patterns indexed by k + 2^(bits-1),
// or null where the images do not rise strictly with k (then none can be taken back).
async function decodeProbe(bits) {
  const half = 2 ** (bits - 1);
  const values = Int32Array.from({ length: 2 * half }, (_, i) => i - half);
  const context = new OfflineAudioContext(1, 1, kProbeRate);
  const decoded = await context.decodeAudioData(flacOf(values, bits));
  const images = decoded.getChannelData(0);
  if (images.length !== values.length) return null;
  for (let i = 1; i < images.length; ++i) if (!(images[i] > images[i - 1])) return null;
  return images;
}

const probes = new Map(); // bits -> the promise of decodeProbe(bits)
function imagesFor(bits) {
  if (!probes.has(bits)) {
    const probe = decodeProbe(bits);
    probe.catch(() => probes.delete(bits)); // tried again for the next file
    probes.set(bits, probe);
  }
  return probes.get(bits);
}

// The integer k whose image is exactly v, or null: first where the two ways browsers scale put
// it, then by halving the range.
function integerOf(v, images, half) {
  let index = Math.round(v * half) + half;
  if (Object.is(images[index], v)) return index - half;
  index = Math.round(v * (half - 1)) + half;
  if (Object.is(images[index], v)) return index - half;
  let [low, high] = [0, images.length - 1];
  while (low <= high) {
    const middle = (low + high) >> 1;
    if (Object.is(images[middle], v)) return middle - half;
    if (images[middle] < v) low = middle + 1;
    else high = middle - 1;
  }
  return null;
}

// Puts the channels of buffer (decoded from a FLAC file of `bits`-bit samples) on libsndfile's
// scale in place. Answers true when every sample was an integer's exact image, so the buffer now
// holds the renderer's samples; false (buffer as the browser decoded it) when any was not or the
// size is one this page does not know.
export async function toRendererScale(buffer, bits) {
  const channels = Array.from({ length: buffer.numberOfChannels }, (_, c) =>
    buffer.getChannelData(c),
  );
  const slices = new Slices();
  // Calls each(samples, i) for every sample, in slices; stops where it answers false.
  const every = async (each) => {
    for (const samples of channels)
      for (let i = 0; i < samples.length; ++i) {
        if (!each(samples, i)) return false;
        if ((i & 0xffff) === 0 && slices.due()) await slices.pause();
      }
    return true;
  };
  if (bits === 24) {
    // Every 24-bit k / 2^23 is a float, and browsers give it unchanged: checked, not assumed.
    return every((samples, i) => {
      const k = samples[i] * 8388608;
      return Number.isInteger(k) && k >= -8388608 && k <= 8388607;
    });
  }
  if (bits !== 8 && bits !== 16) return false;
  const images = await imagesFor(bits);
  if (!images) return false;
  const half = 2 ** (bits - 1);
  // Every sample checked before any is changed, so that one the browser made otherwise leaves
  // the whole buffer as it was decoded.
  if (!(await every((samples, i) => integerOf(samples[i], images, half) !== null))) return false;
  return every((samples, i) => {
    samples[i] = integerOf(samples[i], images, half) / half;
    return true;
  });
}
