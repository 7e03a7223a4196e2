// A build for another vendor's domain (HVDETECTOR_BROWSER_DIR names it): its pages reach the host
// through its extension, and corvantis.example's pages reach nothing.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { SITE, VENDOR, launch, openPage, sourceDir, startSite } from './harness.mjs';

let site;
let chromium;
let scratch;

before(async () => {
  site = await startSite();
  scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'hvdetector-other-domain-'));
  chromium = await launch(site, { host: path.join(sourceDir, 'tests/browser/fake_host.py'),
    env: { HVDETECTOR_FAKE_HOST_LOG: path.join(scratch, 'log') } });
});

after(async () => {
  await chromium?.close();
  await site?.stop();
  fs.rmSync(scratch, { recursive: true, force: true });
});

const hostsStarted = () => (fs.existsSync(path.join(scratch, 'log'))
  ? fs.readFileSync(path.join(scratch, 'log'), 'utf8').split('\n').filter((line) => line.includes('"start"')).length
  : 0);

test('the build is for its own domain', () => {
  assert.equal(VENDOR.siteDomain, 'example.org');
});

for (const [origin, outcome] of [
  [SITE, 'connected: false'],
  ['http://www.corvantis.example', 'refused-origin'],
]) {
  test(`a page of ${origin}`, async () => {
    const before = hostsStarted();
    const page = await openPage(chromium.browser, origin);
    const seen = await page.evaluate(() => HVDetector.connect().then(
      async (base) => `connected: ${await base.get('HasCvxMime')}`, (error) => error.code));
    // Nor can a page that goes around the library find the extension.
    const reachable = await page.evaluate(() => typeof window.chrome?.runtime?.connect === 'function');
    await page.close();
    assert.equal(reachable, outcome !== 'refused-origin');
    assert.equal(seen, outcome);
    assert.equal(hostsStarted(), before + (outcome === 'refused-origin' ? 0 : 1));
  });
}
