// The page's side of the HVDetector bridge: Base's members by their script names, its events and
// its panel, reached through the HVDetector extension and the messaging host it starts.
//
//   const base = await HVDetector.connect();
//   await base.get('HasCvxMime');
//   base.addEventListener('box', (e) => alert(e.detail.text));
//   base.mount(document.getElementById('panel'));
//   await base.call('INSTALL');
(() => {
  'use strict';

  const DOMAIN = 'corvantis.example';
  const EXTENSION_ID = 'egafbdheimjkckgieoggiofnmblcbfdm';
  const CHANNEL = 'hvdetector';
  // The content script answers a page's "connect" at once; silence means it is not there.
  const EXTENSION_ANSWER_MS = 1000;
  const TWIPS_PER_PIXEL = 15;
  const PIXELS_PER_POINT = 96 / 72;

  function bridgeError(message) {
    return new Error(`HVDetector: ${message}`);
  }

  // What a member raised, as a script sees it: the description is the message.
  function memberError({ number, description, source }) {
    const error = new Error(description);
    error.number = number;
    error.description = description;
    error.source = source;
    return error;
  }

  function pageIsOnTheDomain() {
    const { protocol, hostname, port } = window.location;
    return (protocol === 'http:' || protocol === 'https:') && !port &&
      (hostname === DOMAIN || hostname.endsWith('.' + DOMAIN));
  }

  // Chromium lets the vendor's pages connect to the extension themselves.
  function runtimeTransport() {
    const port = window.chrome.runtime.connect(EXTENSION_ID);
    return {
      send: (message) => port.postMessage(message),
      close: () => port.disconnect(),
      start(receive, ended) {
        port.onMessage.addListener(receive);
        port.onDisconnect.addListener(() => ended(window.chrome.runtime.lastError));
      },
    };
  }

  // Elsewhere the extension's content script relays window messages; each connection has a
  // number of its own so that several can share the page's window.
  let windowPorts = 0;
  function windowTransport() {
    const id = `${Date.now()}-${++windowPorts}`;
    const post = (message) =>
      window.postMessage({ channel: CHANNEL, to: 'extension', port: id, message }, window.location.origin);
    let listener = null;
    return {
      send: post,
      close() {
        post({ type: 'close' });
        window.removeEventListener('message', listener);
      },
      start(receive, ended) {
        let answered = false;
        listener = (event) => {
          const data = event.data;
          if (event.source !== window || event.origin !== window.location.origin ||
              data?.channel !== CHANNEL || data.to !== 'page' || data.port !== id)
            return;
          if (data.message?.type === 'connecting') {
            answered = true;
          } else if (data.message?.type === 'closed') {
            window.removeEventListener('message', listener);
            ended(null);
          } else {
            receive(data.message);
          }
        };
        window.addEventListener('message', listener);
        post({ type: 'connect' });
        setTimeout(() => {
          if (!answered) {
            window.removeEventListener('message', listener);
            ended({ message: 'no extension answered' });
          }
        }, EXTENSION_ANSWER_MS);
      },
    };
  }

  function openTransport() {
    if (typeof window.chrome?.runtime?.connect === 'function')
      return runtimeTransport();
    return windowTransport();
  }

  class Base extends EventTarget {
    #transport;
    #nextId = 1;
    #pending = new Map();
    #listening = new Set();
    #panel = null;
    #panels = new Set();
    #pictures = new Map();
    #closed = false;

    constructor(transport) {
      super();
      this.#transport = transport;
    }

    get(name) {
      return this.#request({ type: 'get', name });
    }

    put(name, value) {
      return this.#request({ type: 'put', name, value });
    }

    call(name, ...args) {
      return this.#request({ type: 'call', name, args });
    }

    addEventListener(name, listener, options) {
      super.addEventListener(name, listener, options);
      // The host sends the control's own events only once asked for; panel and box always.
      if (name !== 'panel' && name !== 'box' && !this.#listening.has(name) && !this.#closed) {
        this.#listening.add(name);
        this.#transport.send({ type: 'listen', name });
      }
    }

    mount(element) {
      const panel = new PanelView(element, this.#pictures);
      this.#panels.add(panel);
      if (this.#panel)
        panel.draw(this.#panel);
      return panel;
    }

    close() {
      if (this.#closed)
        return;
      this.#transport.close();
      this.#ended(bridgeError('the connection was closed'));
    }

    #request(message) {
      if (this.#closed)
        return Promise.reject(bridgeError('the connection has ended'));
      const id = this.#nextId++;
      return new Promise((resolve, reject) => {
        this.#pending.set(id, { resolve, reject });
        this.#transport.send({ ...message, id });
      });
    }

    // Called for every message after "opened".
    receive(message) {
      const waiting = this.#pending.get(message?.id);
      if (message?.type === 'result' && waiting) {
        this.#pending.delete(message.id);
        waiting.resolve(message.value);
      } else if (message?.type === 'error' && waiting) {
        this.#pending.delete(message.id);
        waiting.reject(memberError(message));
      } else if (message?.type === 'event' && typeof message.name === 'string') {
        if (message.name === 'panel')
          this.#showPanel(message.detail);
        this.dispatchEvent(new CustomEvent(message.name, { detail: message.detail }));
      }
    }

    #showPanel(detail) {
      // The picture comes with the first panel event only; later ones are drawn with it.
      for (const child of detail?.children ?? []) {
        if (typeof child.picture === 'string' && child.picture.startsWith('data:image/'))
          this.#pictures.set(child.name, child.picture);
      }
      this.#panel = detail;
      for (const panel of this.#panels)
        panel.draw(detail);
    }

    #ended(error) {
      if (this.#closed)
        return;
      this.#closed = true;
      for (const { reject } of this.#pending.values())
        reject(error);
      this.#pending.clear();
      this.dispatchEvent(new CustomEvent('close', { detail: { message: error.message } }));
    }

    disconnected(reason) {
      this.#ended(bridgeError(`the connection ended${reason?.message ? ` (${reason.message})` : ''}`));
    }
  }

  // The panel drawn with the page's own elements from the layout each panel event carries,
  // as the control's window draws it: earlier children lie above later ones.
  class PanelView {
    #root;
    #pictures;

    constructor(element, pictures) {
      this.#pictures = pictures;
      this.#root = document.createElement('div');
      this.#root.className = 'hvdetector-panel';
      Object.assign(this.#root.style, {
        position: 'relative', overflow: 'hidden', background: '#FFFFFF',
      });
      element.replaceChildren(this.#root);
    }

    draw(detail) {
      Object.assign(this.#root.style, {
        width: pixels(detail.width), height: pixels(detail.height),
      });
      const children = detail.children ?? [];
      this.#root.replaceChildren(...children.map((child, index) => {
        const box = this.#child(child);
        box.dataset.name = child.name;
        Object.assign(box.style, {
          position: 'absolute', left: pixels(child.left), top: pixels(child.top),
          width: pixels(child.width), height: pixels(child.height),
          zIndex: String(children.length - index), overflow: 'hidden', boxSizing: 'border-box',
          display: child.visible === false ? 'none' : 'block',
        });
        return box;
      }));
    }

    #child(child) {
      switch (child.kind) {
        case 'label': return label(child);
        case 'image': return image(this.#pictures.get(child.name));
        case 'shape': return shape(child);
        case 'progress': return bar(child);
        default: return document.createElement('div');
      }
    }
  }

  function pixels(twips) {
    return `${(Number(twips) || 0) / TWIPS_PER_PIXEL}px`;
  }

  function label(child) {
    const box = document.createElement('div');
    const font = child.font ?? { name: 'sans-serif', points: 8.25, bold: false };
    const color = child.color ?? '#000000';
    const size = font.points * PIXELS_PER_POINT;
    Object.assign(box.style, {
      color, fontFamily: `'${font.name}', sans-serif`, fontSize: `${size}px`,
      fontWeight: font.bold ? 'bold' : 'normal', lineHeight: `${size * 1.2}px`, whiteSpace: 'pre',
    });
    // A label stored with its text in its own background colour is meant to be seen through.
    if (child.backColor && child.backColor !== color)
      box.style.background = child.backColor;
    box.textContent = child.caption ?? '';
    return box;
  }

  function image(picture) {
    const box = document.createElement('div');
    if (picture) {
      const img = document.createElement('img');
      img.src = picture;
      img.alt = '';
      Object.assign(img.style, { position: 'absolute', left: '0', top: '0' });
      box.append(img);
    }
    return box;
  }

  // The shape's stored style: its outline (4: rounded rectangle) and its border in pixels.
  function shape(child) {
    const box = document.createElement('div');
    const [outline, border] = Array.isArray(child.style) ? child.style : [4, 2];
    Object.assign(box.style, {
      border: `${border}px solid ${child.color ?? '#4A5A6A'}`,
      borderRadius: outline === 4 ? '6px' : '0',
    });
    return box;
  }

  function bar(child) {
    const box = document.createElement('div');
    Object.assign(box.style, {
      background: child.trough ?? '#ECEFF1', border: `1px solid ${child.edge ?? '#9AA5AE'}`,
    });
    const fill = document.createElement('div');
    const share = Math.min(100, Math.max(0, Number(child.value) || 0)) / 100;
    Object.assign(fill.style, {
      position: 'absolute', left: '1px', top: '1px', bottom: '1px',
      width: `calc((100% - 2px) * ${share})`, background: child.fill ?? '#0F7A84',
    });
    box.append(fill);
    return box;
  }

  function connect() {
    if (!pageIsOnTheDomain()) {
      return Promise.reject(bridgeError(
        `page outside the domain: ${window.location.origin} is not on ${DOMAIN}`));
    }
    return new Promise((resolve, reject) => {
      let transport;
      try {
        transport = openTransport();
      } catch (error) {
        reject(bridgeError(`no extension: ${error.message}`));
        return;
      }
      let base = null;
      transport.start((message) => {
        if (base) {
          base.receive(message);
        } else if (message?.type === 'opened') {
          base = new Base(transport);
          resolve(base);
        } else if (message?.type === 'refused') {
          transport.close();
          reject(bridgeError(String(message.message)));
        }
      }, (reason) => {
        if (base)
          base.disconnected(reason);
        else
          reject(bridgeError(`no extension: the HVDetector extension is not installed or not enabled${reason?.message ? ` (${reason.message})` : ''}`));
      });
    });
  }

  window.HVDetector = Object.freeze({ connect });
})();
