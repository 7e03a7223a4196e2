// A download through the bridge against `curl -o` from the same loopback site: a page of the
// vendor's site in headless Chromium calls Base's DownloadInternal, hearing each change of the
// panel on the way, until the whole file is in the temporary folder.
//   node bench/browser_download_vs_curl.mjs [SIZE_MIB] [ROUNDS]   (default 256 MiB, 3 rounds)
import { execFile } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { promisify } from 'node:util';
import { SITE, openPage } from '../tests/browser/harness.mjs';
import { prepareRoad } from '../tests/browser/road.mjs';
import { programsOfBuild } from './browser_programs.mjs';

const sizeMiB = Number(process.argv[2] ?? 256);
const rounds = Number(process.argv[3] ?? 3);
const programs = programsOfBuild('browser_download_vs_curl');

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const road = await prepareRoad(programs);
try {
  const body = Buffer.alloc(sizeMiB << 20);
  for (let i = 0; i < body.length; i += 4096)
    body.writeUInt32LE(i, i);
  road.site.route('/dl/large.bin', body);
  const url = `${SITE}/dl/large.bin`;
  // The browser keeps folders of its own in the same temporary folder.
  const downloads = road.env.TMPDIR;
  const files = () => fs.readdirSync(downloads).filter((name) => name.endsWith('.bin'));
  const empty = () => files().forEach((name) => fs.rmSync(path.join(downloads, name)));
  const page = await openPage(road.chromium.browser);
  const curl = [], bridge = [];
  for (let round = 1; round <= rounds; round++) {
    let start = performance.now();
    // The site runs in this process: curl is waited for without blocking it.
    await promisify(execFile)('curl', ['-sS', '-o', path.join(downloads, 'curl.bin'), '--connect-to',
      `www.corvantis.example:80:127.0.0.1:${road.site.port}`, url]);
    curl.push(performance.now() - start);
    empty();
    start = performance.now();
    // Base raises no events of its own while it downloads: its panel's bar says how far it is.
    const panels = await page.evaluate((source) => new Promise((resolve, reject) => {
      HVDetector.connect().then((base) => {
        let count = 0;
        base.addEventListener('panel', (e) => {
          count++;
          if (e.detail.value === 100) {
            base.close();
            resolve(count);
          }
        });
        base.addEventListener('box', (e) => reject(new Error(e.detail.text)));
        base.call('DownloadInternal', source, '').catch(reject);
      }, reject);
    }), url);
    while (!files().some((name) => fs.statSync(path.join(downloads, name)).size === body.length))
      await new Promise((resolve) => setTimeout(resolve, 2));
    bridge.push(performance.now() - start);
    const got = files().map((name) => fs.statSync(path.join(downloads, name)).size);
    empty();
    console.log(`round ${round}: curl -o ${curl.at(-1).toFixed(0)} ms, bridge ${bridge.at(-1).toFixed(0)} ms ` +
      `(${panels} panel events, files ${got.join(', ')})`);
  }
  console.log(`${sizeMiB} MiB: curl -o median ${median(curl).toFixed(0)} ms, through the bridge ` +
    `median ${median(bridge).toFixed(0)} ms, ratio ${(median(bridge) / median(curl)).toFixed(2)}`);
} finally {
  await road.close();
}
