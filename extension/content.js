// Relays between the vendor's page and the extension where pages cannot connect to an extension
// themselves (Firefox). Only what the page's own window posts, with its own origin, is taken:
// a frame inside the page or another window cannot speak through it.
(() => {
  const api = globalThis.browser ?? globalThis.chrome;
  const ports = new Map();

  function toPage(port, message) {
    window.postMessage({ channel: 'hvdetector', to: 'page', port, message }, location.origin);
  }

  function connect(id) {
    const port = api.runtime.connect();
    ports.set(id, port);
    port.onMessage.addListener((message) => toPage(id, message));
    port.onDisconnect.addListener(() => {
      ports.delete(id);
      toPage(id, { type: 'closed' });
    });
    toPage(id, { type: 'connecting' });
  }

  window.addEventListener('message', (event) => {
    if (event.source !== window || event.origin !== location.origin)
      return;
    const { channel, to, port: id, message } = event.data ?? {};
    if (channel !== 'hvdetector' || to !== 'extension' || !['number', 'string'].includes(typeof id))
      return;
    if (message?.type === 'connect') {
      if (!ports.has(id))
        connect(id);
    } else if (message?.type === 'close') {
      ports.get(id)?.disconnect();
      ports.delete(id);
    } else {
      ports.get(id)?.postMessage(message);
    }
  });
})();
