// Long work done in slices, so that the thread it runs on (the page's, or a worker's that must
// hear its next message) is never held for long: the work asks `slices.due()` as it goes and,
// when it answers true, awaits `slices.pause()`, which lets every waiting task run first.

const kSliceMs = 8;

export class Slices {
  constructor() {
    this.started = performance.now();
  }

  due() {
    return performance.now() - this.started >= kSliceMs;
  }

  // A task of its own rather than a timer: nested timers are held back to 4 ms each.
  async pause() {
    await new Promise((resolve) => {
      const channel = new MessageChannel();
      channel.port1.onmessage = () => {
        channel.port1.close();
        resolve();
      };
      channel.port2.postMessage(null);
    });
    this.started = performance.now();
  }
}
