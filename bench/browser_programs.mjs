// The programs the browser benchmarks drive, from the build in build/ unless the environment
// names others; a benchmark run before that build says what to build and ends.
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { roadPrograms } from '../tests/browser/road.mjs';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..');

export function programsOfBuild(who) {
  const programs = roadPrograms({
    HVDETECTOR_BINARY: path.join(root, 'build/src/hvdetector'),
    HVDETECTOR_MESSAGING_HOST: path.join(root, 'build/lib/hvdetector/hvdetector-messaging-host'),
    HVDETECTOR_DEMO_INSTALLER: path.join(root, 'build/examples/demo/install.exe'),
    ...process.env,
  });
  if (!programs) {
    console.error(`${who}: build hvdetector, hvdetector-messaging-host and halverine-installer in build/ first`);
    process.exit(1);
  }
  return programs;
}
