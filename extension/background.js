// Holds one native port per page connection, so each page connection gets a control of its own
// in a host process of its own, and either side going away ends the other.
import { DOMAIN, NATIVE_HOST, isVendorOrigin } from './site.js';

const api = globalThis.browser ?? globalThis.chrome;

// The browser's own account of who connected: Chromium's origin, or the frame's address where a
// browser gives no origin to a content script's port. What a page writes into a message never
// counts.
function senderOrigin(sender) {
  if (typeof sender?.origin === 'string' && sender.origin !== 'null')
    return sender.origin;
  try {
    return new URL(sender?.url).origin;
  } catch {
    return null;
  }
}

function disconnectReason(port) {
  return port.error?.message ?? api.runtime.lastError?.message ?? 'it ended without an answer';
}

// A page may lose its port at any moment; what it would have been told no longer matters.
function tell(pagePort, message) {
  try {
    pagePort.postMessage(message);
  } catch {}
}

function bridge(pagePort) {
  const origin = senderOrigin(pagePort.sender);
  if (!isVendorOrigin(origin)) {
    tell(pagePort, { type: 'refused', message: `the page ${origin} is not on ${DOMAIN}` });
    pagePort.disconnect();
    return;
  }
  const nativePort = api.runtime.connectNative(NATIVE_HOST);
  let heard = false;
  nativePort.onMessage.addListener((message) => {
    heard = true;
    tell(pagePort, message);
  });
  nativePort.onDisconnect.addListener((port) => {
    // A host that never answered was not there to answer: not installed, or not for this browser.
    if (!heard) {
      tell(pagePort, {
        type: 'refused',
        message: `no host: the messaging host ${NATIVE_HOST} could not be started (${disconnectReason(port)})`,
      });
    }
    pagePort.disconnect();
  });
  // Sent before any of the page's messages can be relayed: the host learns the page's origin
  // from the browser, never from the page.
  nativePort.postMessage({ type: 'open', origin });
  pagePort.onMessage.addListener((message) => {
    if (message?.type === 'open') {
      tell(pagePort, {
        type: 'error',
        id: message.id ?? null,
        number: 5,
        description: 'Invalid procedure call or argument',
        source: '',
      });
      return;
    }
    nativePort.postMessage(message);
  });
  pagePort.onDisconnect.addListener(() => nativePort.disconnect());
}

// Chromium's pages connect directly (externally_connectable); Firefox's through the content
// script, which runs only in the top frame of the vendor's pages. Another extension is never let
// through, even from a vendor's page: Firefox lets any extension connect from outside.
api.runtime.onConnectExternal?.addListener((port) => {
  if (port.sender?.id === undefined)
    bridge(port);
  else
    port.disconnect();
});
api.runtime.onConnect.addListener((port) => {
  if (port.sender?.id === api.runtime.id && port.sender?.frameId === 0)
    bridge(port);
  else
    port.disconnect();
});
