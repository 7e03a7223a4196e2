// The extension and the page library against a host with canned answers, whose log tells exactly
// which hosts were started and what reached them: who may connect, what is relayed, what the
// page sees and draws. The road suite runs the same bridge through the messaging host itself.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import {
  EXTENSION_ID, SITE, VENDOR, browserDir, eventually, launch, openPage, sourceDir, startSite,
} from './harness.mjs';
import { barFillEnd, darkPixels, photograph } from './pixels.mjs';

const fakeHost = path.join(sourceDir, 'tests/browser/fake_host.py');
const library = fs.readFileSync(path.join(browserDir, 'page/hvdetector.js'), 'utf8');
const axe = fs.readFileSync(path.join(sourceDir, 'tests/browser/node_modules/axe-core/axe.min.js'), 'utf8');

let site;
let chromium;
let logFile;

function hostLog() {
  if (!fs.existsSync(logFile))
    return [];
  return fs.readFileSync(logFile, 'utf8').trim().split('\n').filter(Boolean).map((line) => JSON.parse(line));
}
const hostsStarted = () => hostLog().filter((entry) => entry.event === 'start');
const messagesSeen = () => hostLog().filter((entry) => entry.event === 'message').map((entry) => entry.message);

// What HVDetector.connect() says on PAGE ("CODE: MESSAGE"), or "connected".
function connectOutcome(page) {
  return page.evaluate(() => HVDetector.connect().then((base) => {
    base.close();
    return 'connected';
  }, (error) => `${error.code}: ${error.message}`));
}


// Another extension, which knows the host's name and asks the browser for it.
function writeOtherExtension(folder) {
  fs.mkdirSync(folder);
  fs.writeFileSync(path.join(folder, 'manifest.json'), JSON.stringify({
    manifest_version: 3, name: 'Other', version: '1', permissions: ['nativeMessaging'],
    background: { service_worker: 'worker.js' },
  }));
  fs.writeFileSync(path.join(folder, 'worker.js'), `self.tryHost = () => new Promise((resolve) => {
    const port = chrome.runtime.connectNative('com.corvantis.hvdetector');
    port.onMessage.addListener((message) => resolve(JSON.stringify(message)));
    port.onDisconnect.addListener(() => resolve(chrome.runtime.lastError?.message ?? 'ended'));
    port.postMessage({ type: 'open', origin: 'http://www.corvantis.example' });
  });
  self.tryOurs = (id) => new Promise((resolve) => {
    const port = chrome.runtime.connect(id);
    port.onMessage.addListener((message) => resolve(JSON.stringify(message)));
    port.onDisconnect.addListener(() => resolve('ended'));
    port.postMessage({ type: 'get', id: 1, name: 'HasCvxMime' });
  });`);
}

before(async () => {
  site = await startSite();
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'hvdetector-fake-host-'));
  logFile = path.join(scratch, 'log');
  writeOtherExtension(path.join(scratch, 'other'));
  chromium = await launch(site, { host: fakeHost, env: { HVDETECTOR_FAKE_HOST_LOG: logFile },
    others: [path.join(scratch, 'other')] });
});

after(async () => {
  await chromium?.close();
  await site?.stop();
  fs.rmSync(path.dirname(logFile), { recursive: true, force: true });
});

describe('a vendor page', () => {
  test('reads properties, gets member errors, events and the panel drawn', async () => {
    const page = await openPage(chromium.browser);
    const seen = await page.evaluate(async () => {
      const base = await HVDetector.connect();
      const events = [];
      for (const name of ['panel', 'box', 'Progress', 'close'])
        base.addEventListener(name, (event) => events.push({ name, detail: event.detail }));
      base.mount(document.getElementById('panel'));
      const value = await base.get('HasCvxMime');
      const refusal = await base.call('NoSuchMember', 1).catch((error) => ({
        isError: error instanceof HVDetector.HVDetectorError, code: error.code, message: error.message,
        number: error.number, description: error.description, source: error.source,
      }));
      await base.call('DOWNLOAD');
      await new Promise((resolve) => setTimeout(resolve, 300));
      return { value, refusal, events, versions: base.versions,
        hidden: ['receive', 'disconnected'].filter((name) => name in base) };
    });
    assert.equal(seen.value, false);
    assert.deepEqual(seen.versions, { page: VENDOR.version, extension: VENDOR.version, host: VENDOR.version });
    assert.deepEqual(seen.hidden, []);
    assert.deepEqual(seen.refusal, {
      isError: true, code: 'member', message: "Object doesn't support this property or method", number: 438,
      description: "Object doesn't support this property or method", source: '',
    });
    const names = seen.events.map(({ name }) => name);
    assert.ok(names.includes('panel') && names.includes('box'), names.join());
    assert.deepEqual(seen.events.find(({ name }) => name === 'box').detail,
      { title: 'Corvantis Halverine Detector', text: 'Halfway <b>there</b>' });
    const panel = seen.events.findLast(({ name }) => name === 'panel').detail;
    assert.deepEqual([panel.caption, panel.color, panel.value], ['Download Progress', '#000000', 42]);
    // The box's text is the page's to show; the library never made markup of it.
    assert.equal(await page.$$eval('b', (bold) => bold.length), 0);
    // The control's own events are asked of the host; 'close' is the page library's own.
    const listens = messagesSeen().filter(({ type }) => type === 'listen').map(({ name }) => name);
    assert.deepEqual(listens, ['Progress']);

    // The panel as assistive technology meets it.
    assert.deepEqual(await page.$eval('[role=progressbar]', (bar) => ['aria-valuemin', 'aria-valuemax',
      'aria-valuenow'].map((name) => bar.getAttribute(name))), ['0', '100', '42']);
    assert.equal(await page.$eval('[role=status]', (label) => [label.getAttribute('aria-live'),
      label.textContent].join()), 'polite,Download Progress');
    await page.addScriptTag({ content: axe });
    const violations = await page.evaluate(async () => (await axe.run('#panel')).violations
      .map(({ id, nodes }) => `${id}: ${nodes.map((node) => node.target).join(' ')}`));
    assert.deepEqual(violations, []);

    const photo = await photograph(page, '#panel');
    assert.ok(darkPixels(photo, { left: 0, top: 4, right: 354, bottom: 38 }) > 4000, 'the banner shows');
    const expected = 8 + 2 + Math.round((337 - 4) * 0.42);
    const edge = barFillEnd(photo, { left: 8, top: 80, right: 345, bottom: 105 });
    assert.ok(Math.abs(edge - expected) <= 2, `the bar is filled to 42% (edge ${edge}, expected ${expected})`);
    await page.close();
  });

  test('through the content script, as in Firefox', async () => {
    const page = await openPage(chromium.browser);
    const value = await page.evaluate(async () => {
      window.chrome = undefined;
      const base = await HVDetector.connect();
      return base.get('HasIEAutoOpen');
    });
    assert.equal(value, false);
    // A frame of another site inside the vendor's page cannot speak through its content script.
    const before = hostsStarted().length;
    await page.evaluate((other) => new Promise((resolve) => {
      const frame = document.createElement('iframe');
      frame.src = `${other}/probe.html`;
      frame.onload = resolve;
      document.body.append(frame);
    }), 'http://evil.test');
    const frame = page.frames().find((f) => f.url().startsWith('http://evil.test'));
    await frame.evaluate(() => window.parent.postMessage(
      { channel: 'hvdetector', to: 'extension', port: 'p', message: { type: 'connect' } }, '*'));
    await new Promise((resolve) => setTimeout(resolve, 500));
    assert.equal(hostsStarted().length, before);
    await page.close();
  });

  test('that forges an origin in its own open message is answered with an error', async () => {
    const page = await openPage(chromium.browser);
    const openedBefore = messagesSeen().length;
    const answers = await page.evaluate((id) => new Promise((resolve) => {
      const port = chrome.runtime.connect(id);
      const seen = [];
      port.onMessage.addListener((message) => {
        seen.push(message);
        if (message.type === 'error')
          resolve(seen);
      });
      port.postMessage({ type: 'open', id: 7, origin: 'https://www.corvantis.example' });
    }), EXTENSION_ID);
    assert.deepEqual(answers.at(-1), {
      type: 'error', id: 7, number: 5, description: 'Invalid procedure call or argument', source: '',
    });
    // The host heard the page's origin from the extension, and nothing of the page's own.
    assert.ok(await eventually(() => messagesSeen().length === openedBefore + 1));
    assert.deepEqual(messagesSeen().slice(openedBefore), [{ type: 'open', origin: SITE }]);
    await page.close();
  });

  test('as an ES module, and told when a piece is a major version behind', async () => {
    const page = await openPage(chromium.browser);
    const versionFile = `${logFile}.version`;
    const outcomes = [];
    for (const hostVersion of [VENDOR.version, '2.0.0.0']) {
      fs.writeFileSync(versionFile, hostVersion);
      outcomes.push(await page.evaluate(() => import('/hvdetector.mjs').then(({ connect }) => connect()).then(
        async (base) => `connected: ${await base.get('HasCvxMime')}`,
        (error) => ({ code: error.code, update: error.update, message: error.message }))));
    }
    fs.rmSync(versionFile);
    await page.close();
    assert.equal(outcomes[0], 'connected: false');
    assert.deepEqual(outcomes[1].code, 'version-mismatch');
    assert.deepEqual(outcomes[1].update, ['page', 'extension']);
    assert.match(outcomes[1].message, /update the page library and the HVDetector extension$/);
  });

  // Only a top-level vendor page, or a frame whose top page is the vendor's too, reaches the host;
  // each frame here goes straight at the extension, past the page library's own check.
  for (const [what, top, attributes, outcome] of [
    ['framed by another site', 'http://evil.test', '', 'refused'],
    ['in a sandboxed frame of its own site', SITE, 'sandbox="allow-scripts"', 'refused'],
    ['framed by another vendor page', SITE, '', 'opened'],
  ]) {
    test(`${what}: ${outcome}`, async () => {
      const before = hostsStarted().length;
      const page = await openPage(chromium.browser, top);
      await page.evaluate((html) => new Promise((resolve) => {
        document.body.insertAdjacentHTML('beforeend', html);
        document.querySelector('iframe').onload = resolve;
      }), `<iframe ${attributes} src="${SITE}/probe.html"></iframe>`);
      const frame = page.frames().find((f) => f !== page.mainFrame());
      const answer = await frame.evaluate((id) => new Promise((resolve) => {
        const port = chrome.runtime.connect(id);
        port.onMessage.addListener((message) => resolve(message));
        port.onDisconnect.addListener(() => resolve({ type: 'ended' }));
      }), EXTENSION_ID);
      await page.close();
      assert.equal(answer.type, outcome, JSON.stringify(answer));
      if (outcome === 'refused') {
        assert.equal(answer.code, 'refused-origin');
        assert.equal(hostsStarted().length, before);
      }
    });
  }
});

// Each of these pages is told it is outside the domain and starts nothing, whether it goes
// through the page library or straight at the extension.
const outsiders = [
  ['a look-alike host', 'http://corvantis.example.evil.test'],
  ['a look-alike under a subdomain', 'http://www.corvantis.example.evil.test'],
  ['a name that merely ends like the domain', 'http://evilcorvantis.example'],
  ['a subdomain of another site', 'http://corvantis.evil.test'],
  ['userinfo naming the domain', 'http://www.corvantis.example@evil.test'],
];

describe('a page outside the domain', () => {
  for (const [what, origin] of outsiders) {
    test(what, async () => {
      const before = hostsStarted().length;
      const page = await openPage(chromium.browser, origin);
      assert.match(await connectOutcome(page), /^refused-origin: HVDetector: page outside the domain: /);
      assert.equal(await page.evaluate(() => typeof window.chrome?.runtime?.connect), 'undefined');
      await page.evaluate(() => window.postMessage(
        { channel: 'hvdetector', to: 'extension', port: 'p', message: { type: 'connect' } }, '*'));
      await new Promise((resolve) => setTimeout(resolve, 300));
      assert.equal(hostsStarted().length, before);
      await page.close();
    });
  }

  for (const [what, url] of [
    ['a file', `file://${path.join(sourceDir, 'tests/browser/pages/probe.html')}`],
    ['a data: page', 'data:text/html,<title>x</title>'],
  ]) {
    test(what, async () => {
      const before = hostsStarted().length;
      const page = await chromium.browser.newPage();
      await page.goto(url);
      await page.addScriptTag({ content: library });
      assert.match(await connectOutcome(page), /^refused-origin: HVDetector: page outside the domain: /);
      await new Promise((resolve) => setTimeout(resolve, 300));
      assert.equal(hostsStarted().length, before);
      await page.close();
    });
  }

});

test('another extension is kept from the host by the browser, and by ours', async () => {
  const target = await chromium.browser.waitForTarget((t) => t.type() === 'service_worker' &&
    !t.url().includes(EXTENSION_ID));
  const worker = await target.worker();
  const before = hostsStarted().length;
  assert.match(await worker.evaluate(() => self.tryHost()), /forbidden/);
  // Nor does it reach the host through ours.
  assert.equal(await worker.evaluate((id) => self.tryOurs(id), EXTENSION_ID), 'ended');
  assert.equal(hostsStarted().length, before);
});

test('a browser without the extension: connect() says so', async () => {
  const bare = await launch(site, { host: fakeHost, extension: false });
  try {
    const page = await openPage(bare.browser);
    assert.match(await connectOutcome(page), /^no-extension: HVDetector: no extension: /);
  } finally {
    await bare.close();
  }
});

test('a browser without the host: connect() says so', async () => {
  const hostless = await launch(site);
  try {
    const page = await openPage(hostless.browser);
    assert.match(await connectOutcome(page), /^no-host: HVDetector: no host: /);
  } finally {
    await hostless.close();
  }
});
