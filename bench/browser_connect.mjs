// From HVDetector.connect() to the five detection properties read, in headless Chromium through
// the extension and the messaging host, once the browser is up: each round a page of the vendor's
// site connects (the browser starts a host), reads the five properties and closes. Prints each
// round and the median.
//   node bench/browser_connect.mjs [ROUNDS]     (after a build in build/ and npm ci in tests/browser)
// As a managed machine has it, the extension installed by policy from a build with a vendor key
// (its messaging host and its browser pieces), as root:
//   HVDETECTOR_POLICY_INSTALL=1 HVDETECTOR_BROWSER_DIR=KEYBUILD/browser \
//   HVDETECTOR_MESSAGING_HOST=KEYBUILD/lib/hvdetector/hvdetector-messaging-host node bench/browser_connect.mjs
import { openPage } from '../tests/browser/harness.mjs';
import { prepareRoad } from '../tests/browser/road.mjs';
import { programsOfBuild } from './browser_programs.mjs';

const rounds = Number(process.argv[2] ?? 30);
const programs = programsOfBuild('browser_connect');

const road = await prepareRoad(programs);
try {
  const page = await openPage(road.chromium.browser);
  const once = () => page.evaluate(async () => {
    const start = performance.now();
    const base = await HVDetector.connect();
    await Promise.all(['HasCvxMime', 'HasCvtMime', 'HasParticipantHalverine', 'HasSupervisorHV',
      'HasIEAutoOpen'].map((name) => base.get(name)));
    const took = performance.now() - start;
    base.close();
    return took;
  });
  await once();  // the extension's service worker wakes up
  const times = [];
  for (let round = 1; round <= rounds; round++) {
    times.push(await once());
    console.log(`round ${round}: ${times.at(-1).toFixed(1)} ms`);
  }
  times.sort((a, b) => a - b);
  const median = times[Math.floor(times.length / 2)];
  console.log(`connect() to the five detection properties: median ${median.toFixed(1)} ms, ` +
    `fastest ${times[0].toFixed(1)} ms, slowest ${times.at(-1).toFixed(1)} ms over ${rounds} rounds`);
} finally {
  await road.close();
}
