// Sound files for the browser tests, written from integers so that the samples the renderer reads
// from them are known exactly: WAV files with any header (lying ones included), and FLAC and
// AIFF files by sox (an ordinary encoder, as musicians' files come from).
import { execFileSync } from 'node:child_process';
import { writeFileSync } from 'node:fs';

// A WAV file: fields of its format chunk (any of them wrong on purpose), the bytes of its data
// chunk, and chunks to put before the format chunk ([{ id, bytes }]); as RF64 (its sizes in a
// ds64 chunk) where rf64 is set.
export function wavFile({
  format = 1,
  channels = 2,
  rate = 44100,
  bits = 16,
  frameBytes = (channels * bits) / 8,
  data = Buffer.alloc(0),
  dataSize = data.length,
  before = [],
  rf64 = false,
}) {
  const chunk = (id, bytes, size = bytes.length) => {
    const head = Buffer.alloc(8);
    head.write(id, 0, 'latin1');
    head.writeUInt32LE(size, 4);
    return Buffer.concat([head, bytes, Buffer.alloc(bytes.length & 1)]);
  };
  const fmt = Buffer.alloc(16);
  fmt.writeUInt16LE(format, 0);
  fmt.writeUInt16LE(channels, 2);
  fmt.writeUInt32LE(rate, 4);
  fmt.writeUInt32LE(rate * frameBytes, 8);
  fmt.writeUInt16LE(frameBytes, 12);
  fmt.writeUInt16LE(bits, 14);
  const ds64 = Buffer.alloc(28); // RIFF size, data size, sample count (64 bits each), no table
  const sizes = () => [
    Buffer.from('WAVE', 'latin1'),
    ...(rf64 ? [chunk('ds64', ds64)] : []),
    ...before.map(({ id, bytes }) => chunk(id, bytes)),
    chunk('fmt ', fmt),
    chunk('data', data, rf64 ? 0xffffffff : dataSize),
  ];
  const length = Buffer.concat(sizes()).length;
  ds64.writeBigUInt64LE(BigInt(length), 0);
  ds64.writeBigUInt64LE(BigInt(dataSize), 8);
  ds64.writeBigUInt64LE(BigInt(Math.floor(dataSize / frameBytes)), 16);
  const body = Buffer.concat(sizes());
  const head = chunk(rf64 ? 'RF64' : 'RIFF', Buffer.alloc(0), rf64 ? 0xffffffff : length);
  return Buffer.concat([head.subarray(0, 8), body]);
}

// Interleaved 16-bit integers (an Int16Array of frames x channels) as little-endian bytes.
export function int16Bytes(samples) {
  return Buffer.from(samples.buffer, samples.byteOffset, samples.byteLength);
}

// A file at path of the interleaved integers, `bits` wide (8, 16 or 24), made by sox: FLAC,
// AIFF or whatever the name's extension says.
export function soxWrite(path, samples, { channels, bits = 16, rate = 44100 }) {
  const width = bits / 8;
  const raw = Buffer.alloc(samples.length * width);
  samples.forEach((k, i) => raw.writeIntLE(k, i * width, width));
  writeFileSync(`${path}.raw`, raw);
  // -D: no dither; the samples go in as they are.
  execFileSync(process.env.SLOPECRUSH_SOX ?? 'sox', [
    '-D',
    ...['-t', 'raw', '-r', rate, '-e', 'signed', '-b', bits, '-c', channels, '-L'].map(String),
    `${path}.raw`,
    path,
  ]);
}

// The samples libsndfile gives the renderer for interleaved integers `bits` wide: one
// Float32Array per channel, k / 2^(bits - 1).
export function asRendererReads(samples, channels, bits) {
  const scale = 2 ** (bits - 1);
  return Array.from({ length: channels }, (_, c) =>
    Float32Array.from(
      { length: samples.length / channels },
      (_, i) => samples[i * channels + c] / scale,
    ),
  );
}
