// The crushed sound for the waveform and the download, made in the background by a worker
// (offlinerenderworker.js) from its own copy of the sound, so that neither a long file nor a
// change of settings ever holds up the page. A new request replaces the one still running.
//
// Threads: every method is called on the page's main thread and returns without blocking; load
// copies the sound a slice at a time, pausing between slices.
import { Slices } from './slices.js';

const kFramesPerMessage = 1 << 18;

export class OfflineRender {
  constructor() {
    this.worker = new Worker(new URL('./offlinerenderworker.js', import.meta.url), {
      type: 'module',
    });
    this.job = 0;
    this.sound = 0; // the sound loaded last; an older load still sending stops
    this.waiting = null; // { job, resolve, reject, onProgress } of the newest request
    this.dry = null; // { resolve } until the sound's peaks come back
    this.worker.onmessage = ({ data }) => this.heard(data);
    this.worker.onerror = (event) => {
      event.preventDefault?.();
      this.failed(new Error(event.message || 'the render worker could not start'));
    };
  }

  heard(data) {
    if (data.type === 'dry') {
      if (data.sound !== this.sound) return;
      this.dry?.resolve(data.peaks);
      this.dry = null;
      return;
    }
    const waiting = this.waiting;
    if (!waiting || data.job !== waiting.job) return; // replaced meanwhile
    if (data.type === 'progress') waiting.onProgress(data.done);
    if (data.type === 'rendered' || data.type === 'failed') {
      this.waiting = null;
      if (data.type === 'rendered') waiting.resolve({ blob: data.blob, peaks: data.peaks });
      else waiting.reject(new Error(data.message));
    }
  }

  failed(error) {
    this.waiting?.reject(error);
    this.waiting = null;
    this.dry?.reject(error);
    this.dry = null;
  }

  // Hands the worker the sound (an AudioBuffer), in slices: once all is sent, answers
  // { peaks }, the promise of its peaks (peaks.js). Any render of the sound before is replaced.
  async load(buffer) {
    this.replace();
    const sound = ++this.sound;
    const count = buffer.numberOfChannels;
    const { length, sampleRate } = buffer;
    const peaks = new Promise((resolve, reject) => (this.dry = { resolve, reject }));
    this.worker.postMessage({ type: 'sound', sound, sampleRate, count, length });
    const slices = new Slices();
    for (let offset = 0; offset < length; offset += kFramesPerMessage) {
      const channels = Array.from({ length: count }, (_, c) =>
        buffer.getChannelData(c).slice(offset, offset + kFramesPerMessage),
      );
      const transfer = channels.map((samples) => samples.buffer);
      this.worker.postMessage({ type: 'samples', sound, offset, channels }, transfer);
      if (slices.due()) await slices.pause();
      if (sound !== this.sound) break; // a newer sound is on its way
    }
    return { peaks };
  }

  // The render of the sound loaded last at `values` (plain values by parameter index): a promise
  // of { blob, peaks } (the WAV file the renderer writes, and the crushed peaks), or of null when
  // a later request or sound replaced it. onProgress(done) hears how far it is, 0..1.
  render(values, onProgress = () => {}) {
    this.replace();
    const job = ++this.job;
    this.worker.postMessage({ type: 'render', job, values });
    return new Promise((resolve, reject) => {
      this.waiting = { job, resolve, reject, onProgress };
    });
  }

  replace() {
    this.waiting?.resolve(null);
    this.waiting = null;
  }
}
