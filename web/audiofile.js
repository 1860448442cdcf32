// Opening a sound file as the effect will hear it: at most two channels at the file's own sample
// rate. WAV files are read as the renderer reads them (wavreader.js); other files are decoded by
// the browser, at the rate their header names (a context decodes at its own rate), and FLAC's
// integers are put back on the renderer's scale (integerscale.js).
import { toRendererScale } from './integerscale.js';
import { Slices } from './slices.js';
import { Unreadable } from './unreadable.js';
import { playableRate, readWav, refuseUnplayableRate } from './wavreader.js';

// What a file's header names (WAV/RF64, FLAC, Ogg Vorbis or Opus, MP3, AIFF): { name, rate }
// and, for FLAC, the size of its integer samples as bits; for WAV its format code; or null.
export function formatOf(bytes) {
  const data = new DataView(bytes);
  const text = (at, length) =>
    at + length <= data.byteLength ? String.fromCharCode(...new Uint8Array(bytes, at, length)) : '';
  let start = 0;
  // An ID3v2 tag (before MP3 or FLAC): ten bytes, a syncsafe size, and a footer when flagged.
  if (text(0, 3) === 'ID3' && data.byteLength >= 10) {
    const size = [6, 7, 8, 9].reduce((sum, i) => (sum << 7) | (data.getUint8(i) & 0x7f), 0);
    start = 10 + size + (data.getUint8(5) & 0x10 ? 10 : 0);
  }
  if (['RIFF', 'RF64', 'BW64'].includes(text(0, 4)) && text(8, 4) === 'WAVE') {
    for (let at = 12; at + 8 <= data.byteLength;) {
      const size = data.getUint32(at + 4, true);
      if (text(at, 4) === 'fmt ' && at + 16 <= data.byteLength)
        return {
          name: 'WAV',
          rate: data.getUint32(at + 12, true),
          code: data.getUint16(at + 8, true),
        };
      at += 8 + size + (size & 1);
    }
    return null;
  }
  if (text(start, 4) === 'fLaC' && start + 22 <= data.byteLength) {
    const at = start + 18; // STREAMINFO: 20 bits of rate after 10 bytes of sizes, 3 of channels
    const bits = (((data.getUint8(at + 2) & 1) << 4) | (data.getUint8(at + 3) >> 4)) + 1;
    const rate =
      (data.getUint8(at) << 12) | (data.getUint8(at + 1) << 4) | (data.getUint8(at + 2) >> 4);
    return { name: 'FLAC', rate, bits };
  }
  if (text(0, 4) === 'OggS' && data.byteLength > 27) {
    const payload = 27 + data.getUint8(26);
    if (text(payload, 7) === '\x01vorbis' && payload + 16 <= data.byteLength)
      return { name: 'Ogg Vorbis', rate: data.getUint32(payload + 12, true) };
    if (text(payload, 8) === 'OpusHead') return { name: 'Opus', rate: 48000 }; // always 48 kHz
    return null;
  }
  if (text(0, 4) === 'FORM' && ['AIFF', 'AIFC'].includes(text(8, 4))) return { name: 'AIFF' };
  // MP3: within the first few kilobytes, a Layer III frame header followed by another where its
  // length says (one alone turns up by chance in any file).
  const rates = { 3: [44100, 48000, 32000], 2: [22050, 24000, 16000], 0: [11025, 12000, 8000] };
  const kbps = {
    3: [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320],
    other: [0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160],
  };
  const frame = (at) => {
    if (at + 4 > data.byteLength) return null;
    const [b0, b1, b2] = [data.getUint8(at), data.getUint8(at + 1), data.getUint8(at + 2)];
    const version = (b1 >> 3) & 3;
    const [rateIndex, rateCode] = [(b2 >> 2) & 3, b2 >> 4];
    if (b0 !== 0xff || (b1 & 0xe0) !== 0xe0 || version === 1 || ((b1 >> 1) & 3) !== 1) return null;
    if (rateIndex === 3 || rateCode === 0 || rateCode === 15) return null;
    const rate = rates[version][rateIndex];
    const bitrate = (version === 3 ? kbps[3] : kbps.other)[rateCode] * 1000;
    const length = Math.floor(((version === 3 ? 144 : 72) * bitrate) / rate) + ((b2 >> 1) & 1);
    return { version, rate, length };
  };
  for (let at = start; at + 4 <= Math.min(data.byteLength, start + 8192); ++at) {
    const first = frame(at);
    const next = first && frame(at + first.length);
    if (next && next.version === first.version && next.rate === first.rate)
      return { name: 'MP3', rate: first.rate };
  }
  return null;
}

// Why the browser could not decode a file of this format, as the end of "could not be opened: ".
function undecodable(format) {
  if (!format) return 'it is not audio this browser can decode';
  if (format.name === 'WAV')
    return `it is a WAV file of format 0x${format.code.toString(16).padStart(4, '0')}, neither integer nor float samples, which this browser cannot decode`;
  if (format.name === 'AIFF') return 'this browser cannot decode AIFF (slopecrush-render reads it)';
  return `this browser cannot decode its ${format.name} sound`;
}

// Decodes a file (a Blob): a promise of { buffer, sourceChannels, rateKnown, asRenderer,
// promisedFrames }, where buffer is an AudioBuffer of the first one or two channels at the file's
// own rate (44100 Hz where the header names none this page reads), asRenderer says the samples
// are those the renderer reads (false where the browser's decoder may differ), and promisedFrames
// is what a cut WAV file's header counts. Rejects with Unreadable, naming the cause.
export async function decodeAudioFile(file) {
  if (file.size === 0) throw new Unreadable('the file is empty');
  const wav = await readWav(file);
  if (wav) return { ...wav, rateKnown: true, asRenderer: true };
  const bytes = await file.arrayBuffer();
  const format = formatOf(bytes);
  if (format?.name === 'FLAC' && format.rate > 0) refuseUnplayableRate(format.rate);
  const rateKnown = format !== null && playableRate(format.rate);
  const context = new OfflineAudioContext(1, 1, rateKnown ? format.rate : 44100);
  let decoded;
  try {
    decoded = await context.decodeAudioData(bytes);
  } catch {
    throw new Unreadable(undecodable(format));
  }
  if (decoded.length === 0) throw new Unreadable('it holds no sound (no frames)');
  // Ogg Vorbis: browsers decode it with the library libsndfile uses, to the same floats.
  const asRenderer =
    format?.name === 'FLAC'
      ? await toRendererScale(decoded, format.bits)
      : format?.name === 'Ogg Vorbis';
  const result = {
    buffer: decoded,
    sourceChannels: decoded.numberOfChannels,
    rateKnown,
    asRenderer,
  };
  if (decoded.numberOfChannels <= 2) return result;
  // The first two channels, copied a slice at a time.
  const buffer = new AudioBuffer({
    numberOfChannels: 2,
    length: decoded.length,
    sampleRate: decoded.sampleRate,
  });
  const slices = new Slices();
  const step = 1 << 16;
  for (let at = 0; at < decoded.length; at += step) {
    for (let c = 0; c < 2; ++c)
      buffer.copyToChannel(decoded.getChannelData(c).subarray(at, at + step), c, at);
    if (slices.due()) await slices.pause();
  }
  return { ...result, buffer };
}
