// The whole road through the messaging host, as a visitor's browser walks it: the road page
// (the page library only) detects, installs with the demo's installer, detects again, opens a
// document with the installed viewer and meets the failures with their boxes. Photographs of
// the panel mid-download and after the failed install are read at the layout's positions.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { SITE, eventually, launch, openPage, sourceDir, startSite } from './harness.mjs';
import { barFillEnd, darkPixels, photograph, pixelsOfColour } from './pixels.mjs';

const messagingHost = process.env.HVDETECTOR_MESSAGING_HOST;
const hvdetector = process.env.HVDETECTOR_BINARY;
const installer = process.env.HVDETECTOR_DEMO_INSTALLER;
const ready = [messagingHost, hvdetector, installer].every((file) => file && fs.existsSync(file));
if (!ready)
  console.log('the road through the messaging host did not run: this build has no messaging host, hvdetector or demo installer');

// The layout's places, in the panel's pixels.
const BANNER = { left: 0, top: 4, right: 354, bottom: 38 };
const STATUS_LABEL = { left: 8, top: 56, right: 257, bottom: 73 };
const BAR = { left: 8, top: 80, right: 345, bottom: 105 };
const fillEdgeFor = (value) => BAR.left + 2 + Math.round((BAR.right - BAR.left - 4) * value / 100);

let scratch;
let shots;
let site;
let chromium;
let hostOutput = '';

before(async () => {
  if (!ready)
    return;
  scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'hvdetector-road-'));
  // The photographs stay where HVDETECTOR_SCREENSHOTS says (the demo's folder), else go with the run.
  shots = process.env.HVDETECTOR_SCREENSHOTS ?? path.join(scratch, 'shots');
  for (const folder of ['registry', 'programs', 'tmp'])
    fs.mkdirSync(path.join(scratch, folder));
  fs.mkdirSync(shots, { recursive: true });
  site = await startSite();
  const body = fs.readFileSync(installer);
  site.route('/dl/quarterly-report.cvx', fs.readFileSync(path.join(sourceDir, 'examples/demo/quarterly-report.cvx')));
  site.held = site.route('/cvAppDownloads/library/windows/vm/install.exe', body, { hold: true });
  // Cut short on the way: the installer finds its payload damaged and fails.
  site.route('/cvAppDownloads/library/windows/vm/damaged-install.exe', body.subarray(0, body.length - 4096));
  const env = {
    HVDETECTOR_REGISTRY: path.join(scratch, 'registry'),
    HALVERINE_INSTALL_ROOT: path.join(scratch, 'programs'),
    TMPDIR: path.join(scratch, 'tmp'),
    HVDETECTOR_CONNECT_TO: `www.corvantis.example:80:127.0.0.1:${site.port}`,
  };
  execFileSync(hvdetector, ['register'], { env: { ...process.env, ...env } });
  chromium = await launch(site, {
    env,
    profile: (userDataDir) => execFileSync(hvdetector,
      ['--registry', env.HVDETECTOR_REGISTRY, 'register-browsers', '--profile', userDataDir]),
  });
  // What the host and the programs it starts write on their error streams.
  chromium.browser.process().stderr?.on('data', (chunk) => { hostOutput += chunk; });
});

after(async () => {
  await chromium?.close();
  await site?.stop();
  if (scratch)
    fs.rmSync(scratch, { recursive: true, force: true });
});

test('the road through the messaging host', { skip: !ready && 'no messaging host in this build' }, async () => {
  const page = await chromium.browser.newPage();
  await page.goto(`${SITE}/road.html`);
  const detectBefore = await site.report((r) => r.step === 'detect-before' || r.error);
  assert.deepEqual(detectBefore.values, {
    HasCvxMime: false, HasCvtMime: false, HasParticipantHalverine: false, HasSupervisorHV: false,
    HasIEAutoOpen: false,
  });

  // Mid-download: the site holds the installer's second half back until the panel is photographed.
  await site.held.requested;
  assert.ok(await eventually(() => page.evaluate(() => window.lastPanel?.value > 0)), 'the bar moved');
  const value = await page.evaluate(() => window.lastPanel.value);
  const during = await photograph(page, '#panel', path.join(shots, 'during.png'));
  site.held.release();
  assert.ok(value > 0 && value < 100, `the bar is part way (${value})`);
  assert.ok(darkPixels(during, BANNER) > 4000, 'during: the banner shows');
  const edge = barFillEnd(during, BAR);
  assert.ok(Math.abs(edge - fillEdgeFor(value)) <= 2,
    `during: the bar is filled to ${value}% (edge ${edge}, expected ${fillEdgeFor(value)})`);

  const install = await site.report((r) => r.step === 'install');
  assert.equal(install.ended, 'Install complete', JSON.stringify(install));
  assert.deepEqual(install.boxes.filter((box) => box.title !== undefined), []);
  const detectAfter = await site.report((r) => r.step === 'detect-after');
  assert.deepEqual(detectAfter.values, {
    HasCvxMime: true, HasCvtMime: true, HasParticipantHalverine: true, HasSupervisorHV: false,
    HasIEAutoOpen: false,
  });

  await site.report((r) => r.step === 'launch');
  const viewer = path.join(scratch, 'programs/Corvantis Halverine/halverine-viewer');
  assert.ok(fs.existsSync(viewer), 'the installer put the viewer in place');
  assert.ok(await eventually(() => /halverine-viewer: opened .*quarterly-report[0-9]*\.cvx \(\d+ bytes\)/.test(hostOutput)),
    `the viewer opened the document: ${hostOutput.slice(-2000)}`);
  assert.match(hostOutput, /Title: Quarterly report, third quarter/);

  const outside = await site.report((r) => r.step === 'launch-outside');
  assert.deepEqual(outside.boxes[0], {
    title: 'Corvantis Halverine Detector', text: 'Invalid domain must be a URL for corvantis.example',
  });
  const missing = await site.report((r) => r.step === 'launch-missing');
  assert.deepEqual(missing.boxes, [{ title: null, text: 'Error: -20000015 404 Not Found' }]);

  const damaged = await site.report((r) => r.step === 'install-damaged');
  assert.equal(damaged.ended, 'box', JSON.stringify(damaged));
  assert.equal(damaged.boxes[0].text,
    'Install failed, please try again by clicking refresh on your browser.\r\nThe installer ended with exit status 1');
  assert.equal(damaged.panel.caption, 'Install error');
  assert.equal(damaged.panel.color, '#FF0000');
  const afterError = await photograph(page, '#panel', path.join(shots, 'after.png'));
  assert.ok(pixelsOfColour(afterError, STATUS_LABEL, [255, 0, 0]) > 30, 'after: the status label is red');
  assert.ok(darkPixels(afterError, BANNER) > 4000, 'after: the banner still shows');
  await page.close();
});

// The messaging hosts running now, by their process ids.
function runningHosts() {
  return fs.readdirSync('/proc').filter((pid) => /^\d+$/.test(pid)).filter((pid) => {
    try {
      return fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8').startsWith(messagingHost);
    } catch {
      return false;
    }
  });
}

test('ten pages at once, and a page closed mid-download, leave no host running', { skip: !ready && 'no messaging host in this build' }, async () => {
  const pages = await Promise.all(Array.from({ length: 10 }, () => openPage(chromium.browser)));
  const values = await Promise.all(pages.map((page) => page.evaluate(async () => {
    const base = await HVDetector.connect();
    return Promise.all(['HasCvxMime', 'HasCvtMime', 'HasParticipantHalverine',
      'HasSupervisorHV', 'HasIEAutoOpen'].map((name) => base.get(name)));
  })));
  assert.deepEqual(values, Array(10).fill([true, true, true, false, false]));
  assert.ok(runningHosts().length >= 10, `ten hosts: ${runningHosts().length}`);
  await Promise.all(pages.map((page) => page.close()));
  assert.ok(await eventually(() => runningHosts().length === 0), `hosts left: ${runningHosts()}`);

  const held = site.route('/dl/slow-install.exe', fs.readFileSync(installer), { hold: true });
  const page = await openPage(chromium.browser);
  await page.evaluate(async (url) => {
    const base = await HVDetector.connect();
    await base.put('DownloadLocation', url);
    base.call('INSTALL');
  }, `${SITE}/dl/slow-install.exe`);
  await held.requested;
  await page.close();
  assert.ok(await eventually(() => runningHosts().length === 0), `hosts left: ${runningHosts()}`);
  held.release();
  // Nothing of the cut download looks like a finished installer, and nothing ran it.
  const size = fs.statSync(installer).size;
  const left = fs.readdirSync(path.join(scratch, 'tmp')).filter((name) => name.startsWith('slow-install'));
  assert.ok(left.every((name) => fs.statSync(path.join(scratch, 'tmp', name)).size < size), left.join());
  assert.doesNotMatch(hostOutput, /slow-install[0-9]*\.exe" \/S \/P/);
});

test('a page the extension lets through and the library\'s domain rule does not is refused by the host', { skip: !ready && 'no messaging host in this build' }, async () => {
  const page = await openPage(chromium.browser, 'http://corvantis.example');
  const outcome = await page.evaluate(() => HVDetector.connect().then(() => 'connected', (error) => error.message));
  await page.close();
  assert.match(outcome, /^HVDetector: .*http:\/\/corvantis\.example/);
  assert.ok(await eventually(() => runningHosts().length === 0), `hosts left: ${runningHosts()}`);
});
