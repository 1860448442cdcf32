// What the waveform draws of a sound: the range of its samples (all channels) over each of a
// fixed number of equal stretches, gathered as the sound is made or read, a block at a time.

export const kColumns = 4096;

export class Peaks {
  constructor(length) {
    this.length = length;
    this.low = new Float32Array(kColumns);
    this.high = new Float32Array(kColumns);
  }

  // The samples of channels (Float32Arrays of one length) from frame `offset` of the sound on.
  add(channels, offset) {
    const frames = channels[0].length;
    for (let i = 0; i < frames;) {
      const column = Math.floor(((offset + i) * kColumns) / this.length);
      // The stretch's last frame, within these frames.
      const end = Math.min(frames, Math.ceil(((column + 1) * this.length) / kColumns) - offset);
      let low = this.low[column];
      let high = this.high[column];
      for (const samples of channels)
        for (let j = i; j < end; ++j) {
          // NaN and beyond full scale are drawn at the lane's edge.
          const value = Math.max(-1, Math.min(1, samples[j] || 0));
          if (value < low) low = value;
          if (value > high) high = value;
        }
      this.low[column] = low;
      this.high[column] = high;
      i = Math.max(end, i + 1);
    }
  }
}
