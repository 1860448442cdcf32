// Opening a sound file as the effect will hear it: at most two channels at the file's own sample
// rate. WAV files are read as the renderer reads them (wavreader.js); other files are decoded by
// the browser, at the rate their header names (a context decodes at its own rate).
import { readWav } from './wavreader.js';

// The sample rate a file's header names (WAV/RF64, FLAC, Ogg Vorbis or Opus, MP3), as
// { rate, bits } where bits is the size of FLAC's integer samples, or null.
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
    for (
      let at = 12;
      at + 8 <= data.byteLength;
      at += 8 + data.getUint32(at + 4, true) + (data.getUint32(at + 4, true) & 1)
    ) {
      if (text(at, 4) === 'fmt ' && at + 16 <= data.byteLength)
        return { rate: data.getUint32(at + 12, true) };
    }
    return null;
  }
  if (text(start, 4) === 'fLaC' && start + 22 <= data.byteLength) {
    const at = start + 18; // STREAMINFO: 20 bits of rate after 10 bytes of sizes, 3 of channels
    const bits = (((data.getUint8(at + 2) & 1) << 4) | (data.getUint8(at + 3) >> 4)) + 1;
    return {
      rate: (data.getUint8(at) << 12) | (data.getUint8(at + 1) << 4) | (data.getUint8(at + 2) >> 4),
      bits,
    };
  }
  if (text(0, 4) === 'OggS' && data.byteLength > 27) {
    const payload = 27 + data.getUint8(26);
    if (text(payload, 7) === '\x01vorbis' && payload + 16 <= data.byteLength)
      return { rate: data.getUint32(payload + 12, true) };
    if (text(payload, 8) === 'OpusHead') return { rate: 48000 }; // Opus always decodes at 48 kHz
    return null;
  }
  // MPEG audio: the first frame header within the first few kilobytes.
  const mpegRates = { 3: [44100, 48000, 32000], 2: [22050, 24000, 16000], 0: [11025, 12000, 8000] };
  for (let at = start; at + 4 <= Math.min(data.byteLength, start + 8192); ++at) {
    const [b0, b1, b2] = [data.getUint8(at), data.getUint8(at + 1), data.getUint8(at + 2)];
    const version = (b1 >> 3) & 3;
    const rateIndex = (b2 >> 2) & 3;
    const valid = b0 === 0xff && (b1 & 0xe0) === 0xe0 && version !== 1 && ((b1 >> 1) & 3) !== 0;
    if (valid && rateIndex !== 3 && b2 >> 4 !== 15) return { rate: mpegRates[version][rateIndex] };
  }
  return null;
}

// Decodes a file's bytes: a promise of { buffer, sourceChannels, rateKnown }, where buffer is an
// AudioBuffer of the first one or two channels at the file's own rate (44100 Hz where the header
// names none this page reads). Rejects when the browser cannot decode the file.
export async function decodeAudioFile(bytes) {
  const wav = readWav(bytes);
  if (wav) {
    const { channels, sampleRate, sourceChannels } = wav;
    if (channels[0].length === 0) throw new Error('the file holds no sound');
    const buffer = new AudioBuffer({
      numberOfChannels: channels.length,
      length: channels[0].length,
      sampleRate,
    });
    channels.forEach((samples, c) => buffer.copyToChannel(samples, c));
    return { buffer, sourceChannels, rateKnown: true };
  }
  const format = formatOf(bytes);
  const rateKnown = format !== null && format.rate >= 3000 && format.rate <= 768000;
  const context = new OfflineAudioContext(1, 1, rateKnown ? format.rate : 44100);
  const decoded = await context.decodeAudioData(bytes);
  if (format?.bits === 16) rescaleSixteenBits(decoded);
  if (decoded.length === 0) throw new Error('the file holds no sound');
  const channels = Math.min(decoded.numberOfChannels, 2);
  const buffer = new AudioBuffer({
    numberOfChannels: channels,
    length: decoded.length,
    sampleRate: decoded.sampleRate,
  });
  for (let c = 0; c < channels; ++c) buffer.copyToChannel(decoded.getChannelData(c), c);
  return { buffer, sourceChannels: decoded.numberOfChannels, rateKnown };
}

// 16-bit samples as libsndfile scales them, k / 32768. Chromium divides positive ones by 32767;
// when every sample is of one of the two forms, the others are put back. (24 bits and more come
// out the same either way once rounded to float.)
function rescaleSixteenBits(buffer) {
  const channels = Array.from({ length: buffer.numberOfChannels }, (_, c) =>
    buffer.getChannelData(c),
  );
  const symmetric = (v) => Number.isInteger(v * 32768);
  const chromium = (v) => v > 0 && Math.abs(v * 32767 - Math.round(v * 32767)) < 1e-3;
  if (channels.every((samples) => samples.every((v) => symmetric(v) || chromium(v))))
    for (const samples of channels)
      for (let i = 0; i < samples.length; ++i)
        if (!symmetric(samples[i])) samples[i] = Math.round(samples[i] * 32767) / 32768;
}
