// WAV files read here rather than by the browser: browsers scale integer samples their own way
// (Chromium divides positive 16-bit samples by 32767), while the renderer, through libsndfile,
// divides every integer sample by a power of two. Read like this, a WAV file gives the page the
// samples the renderer gives the plug-in, so the download can match it to the bit.

const kPcm = 1;
const kFloat = 3;
const kExtensible = 0xfffe;

// The first two channels of a RIFF WAV file of integer (8 to 32 bits) or float (32 or 64 bits)
// samples: { channels: [Float32Array...], sampleRate, sourceChannels }, or null for any other
// file (RF64, compressed WAV, not WAV at all), which the browser decodes instead. A data chunk cut
// short is read as far as it goes.
export function readWav(bytes) {
  const data = new DataView(bytes);
  const tag = (at) => String.fromCharCode(...new Uint8Array(bytes, at, 4));
  if (data.byteLength < 12 || tag(0) !== 'RIFF' || tag(8) !== 'WAVE') return null;
  let format = null;
  for (let at = 12; at + 8 <= data.byteLength;) {
    const size = data.getUint32(at + 4, true);
    if (tag(at) === 'fmt ' && size >= 16 && at + 8 + size <= data.byteLength) {
      let kind = data.getUint16(at + 8, true);
      if (kind === kExtensible && size >= 26) kind = data.getUint16(at + 32, true); // sub-format
      format = {
        kind,
        count: data.getUint16(at + 10, true),
        sampleRate: data.getUint32(at + 12, true),
        frameBytes: data.getUint16(at + 20, true),
        bits: data.getUint16(at + 22, true),
      };
    }
    if (tag(at) === 'data' && format)
      return samplesOf(data, at + 8, Math.min(size, data.byteLength - at - 8), format);
    at += 8 + size + (size & 1);
  }
  return null;
}

function samplesOf(data, start, size, { kind, count, sampleRate, frameBytes, bits }) {
  const width = count > 0 ? frameBytes / count : 0; // bytes per sample as stored
  const read = readerFor(kind, width, bits);
  if (!read || count === 0 || width * count !== frameBytes || sampleRate === 0) return null;
  const frames = Math.floor(size / frameBytes);
  const kept = Math.min(count, 2);
  const channels = Array.from({ length: kept }, () => new Float32Array(frames));
  for (let i = 0; i < frames; ++i)
    for (let c = 0; c < kept; ++c) channels[c][i] = read(data, start + i * frameBytes + c * width);
  return { channels, sampleRate, sourceChannels: count };
}

// How one sample is read, as libsndfile reads it into a float: integers divided by 2^(bits - 1)
// (8-bit samples are unsigned), 32-bit integers rounded to float first; floats as they are.
function readerFor(kind, width, bits) {
  if (kind === kFloat && width === 4 && bits === 32) return (d, at) => d.getFloat32(at, true);
  if (kind === kFloat && width === 8 && bits === 64) return (d, at) => d.getFloat64(at, true);
  if (kind !== kPcm) return null;
  switch (width) {
    case 1:
      return (d, at) => (d.getUint8(at) - 128) / 128;
    case 2:
      return (d, at) => d.getInt16(at, true) / 32768;
    case 3:
      return (d, at) => ((d.getInt8(at + 2) << 16) | d.getUint16(at, true)) / 8388608;
    case 4:
      return (d, at) => Math.fround(d.getInt32(at, true)) / 2147483648;
    default:
      return null;
  }
}
