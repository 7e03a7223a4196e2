// The bridge in Firefox ESR through the messaging host: the vendor's page reaches Base through
// the content script's relay, and a page off the domain reaches nothing.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import { after, before, test } from 'node:test';
import { FIREFOX, SITE, eventually, launchFirefox, openPage, running, startSite } from './harness.mjs';
import { INSTALLERS, roadPrograms, scratchMachine } from './road.mjs';

const programs = roadPrograms();
const skip = (!fs.existsSync(FIREFOX) && `Firefox ESR is not installed (${FIREFOX})`) ||
  (!programs && 'this build has no messaging host, hvdetector or demo installer');
if (skip)
  console.log(`the bridge in Firefox ESR did not run: ${skip}`);

const DETECTION = ['HasCvxMime', 'HasCvtMime', 'HasParticipantHalverine', 'HasSupervisorHV', 'HasIEAutoOpen'];

let site;
let machine;
let firefox;

before(async () => {
  if (skip)
    return;
  site = await startSite();
  site.route(`${INSTALLERS}/install.exe`, fs.readFileSync(programs.installer));
  site.route(`${INSTALLERS}/install.exe.minisig`, fs.readFileSync(`${programs.installer}.minisig`));
  machine = scratchMachine(programs.hvdetector, site);
  firefox = await launchFirefox(site, programs.hvdetector, { env: machine.env });
});

after(async () => {
  await firefox?.close();
  await site?.stop();
  if (machine)
    fs.rmSync(machine.scratch, { recursive: true, force: true });
});

const runningHosts = () => running(programs.messagingHost);

// Detection before and after the demo's installer really installs, then a document outside the
// domain, whose box only an installed viewer gets to show.
test('the vendor\'s page in Firefox detects, installs, detects again and meets LAUNCH outside the domain with its box', { skip }, async () => {
  const page = await openPage(firefox.browser);
  const { before, installed, after, box } = await page.evaluate(async (names, installer) => {
    const base = await HVDetector.connect();
    // The site on loopback serves plain http; the installer's own default is https.
    await base.put('DownloadLocation', installer);
    const detect = async () => Object.fromEntries(
      await Promise.all(names.map(async (name) => [name, await base.get(name)])));
    const within = (promise, what) => Promise.race([promise,
      new Promise((resolve) => setTimeout(resolve, 30000, `no ${what} within 30 seconds`))]);
    const before = await detect();
    const installed = await within(new Promise((resolve) => {
      base.addEventListener('panel', (event) =>
        ['Install complete', 'Install error'].includes(event.detail.caption) && resolve(event.detail.caption));
      base.addEventListener('box', (event) => resolve(event.detail.text), { once: true });
      base.call('INSTALL').catch((error) => resolve(error.message));
    }), 'install');
    const after = await detect();
    const box = within(new Promise((resolve) => base.addEventListener('box', (event) => resolve(event.detail))), 'box');
    base.call('LAUNCH', 'http://www.elsewhere.example/dl/quarterly-report.cvx').catch(() => {});
    return { before, installed, after, box: await box };
  }, DETECTION, `${SITE}${INSTALLERS}/install.exe`);
  await page.close();
  const fresh = Object.fromEntries(DETECTION.map((name) => [name, false]));
  assert.deepEqual(before, fresh);
  assert.equal(installed, 'Install complete');
  assert.deepEqual(after, { ...fresh, HasCvxMime: true, HasCvtMime: true, HasParticipantHalverine: true });
  assert.deepEqual(box, {
    title: 'Corvantis Halverine Detector', text: 'Invalid domain must be a URL for corvantis.example',
  });
  assert.ok(await eventually(() => runningHosts().length === 0), `hosts left: ${runningHosts()}`);
});

// Off the domain no content script is there to relay, even for a page that speaks the relay's
// protocol itself; on the bare domain the relay lets the page through and the host refuses it.
test('pages off the vendor\'s subdomains are refused in Firefox', { skip }, async () => {
  const outside = await openPage(firefox.browser, 'http://evil.test');
  const heard = await outside.evaluate(() => new Promise((resolve) => {
    const answers = [];
    window.addEventListener('message', (event) => event.data?.to === 'page' && answers.push(event.data));
    window.postMessage({ channel: 'hvdetector', to: 'extension', port: 1, message: { type: 'connect' } }, '*');
    setTimeout(() => resolve(answers), 1500);
  }));
  await outside.close();
  assert.deepEqual(heard, []);

  const bare = await openPage(firefox.browser, 'http://corvantis.example');
  const outcome = await bare.evaluate(() => HVDetector.connect().then(() => 'connected', (error) => error.message));
  await bare.close();
  assert.match(outcome, /^HVDetector: .*http:\/\/corvantis\.example/);
  assert.ok(await eventually(() => runningHosts().length === 0), `hosts left: ${runningHosts()}`);
});
