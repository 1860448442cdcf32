// A WAV file of 32-bit float samples with the header slopecrush-render writes for
// `--format float`, byte for byte: RIFF, a 16-byte format chunk (IEEE float), a fact chunk with
// the frame count, a PAD chunk of 24 zero bytes (where its RF64 header would go), then the
// interleaved samples. Little-endian throughout, so the bits are the samples'.

const kHeaderBytes = 88;
const kPadBytes = 24;

// The header of such a file of `frames` frames of `count` channels at sampleRate. Throws when the
// samples are too many for a WAV header to count.
export function floatWavHeader(frames, count, sampleRate) {
  const dataBytes = frames * count * 4;
  if (kHeaderBytes - 8 + dataBytes > 0xffffffff) throw new RangeError('too long for a WAV file');
  const header = new DataView(new ArrayBuffer(kHeaderBytes));
  const tag = (at, text) => [...text].forEach((c, i) => header.setUint8(at + i, c.charCodeAt(0)));
  tag(0, 'RIFF');
  header.setUint32(4, kHeaderBytes - 8 + dataBytes, true);
  tag(8, 'WAVE');
  tag(12, 'fmt ');
  header.setUint32(16, 16, true);
  header.setUint16(20, 3, true); // IEEE float
  header.setUint16(22, count, true);
  header.setUint32(24, sampleRate, true);
  header.setUint32(28, sampleRate * count * 4, true); // bytes per second
  header.setUint16(32, count * 4, true); // bytes per frame
  header.setUint16(34, 32, true); // bits per sample
  tag(36, 'fact');
  header.setUint32(40, 4, true);
  header.setUint32(44, frames, true);
  tag(48, 'PAD ');
  header.setUint32(52, kPadBytes, true); // its bytes stay zero
  tag(56 + kPadBytes, 'data');
  header.setUint32(60 + kPadBytes, dataBytes, true);
  return header;
}

// The samples of channels (equal-length Float32Arrays) interleaved as the file holds them. Moved
// as 32-bit words, so every bit pattern stays (a float's NaN payload could change on the way
// through a number); Web Audio runs on little-endian machines, as WAV is.
export function interleave(channels) {
  const frames = channels[0].length;
  const count = channels.length;
  const samples = new Uint32Array(frames * count);
  for (let c = 0; c < count; ++c) {
    const words = new Uint32Array(channels[c].buffer, channels[c].byteOffset, frames);
    for (let i = 0; i < frames; ++i) samples[i * count + c] = words[i];
  }
  return samples;
}

// A Blob of the WAV file holding channels (equal-length Float32Arrays) at sampleRate.
export function encodeFloatWav(channels, sampleRate) {
  const header = floatWavHeader(channels[0].length, channels.length, sampleRate);
  return new Blob([header, interleave(channels)], { type: 'audio/wav' });
}
