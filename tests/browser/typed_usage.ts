// A web developer's typed use of the page library, as its npm package ships it: checked by tsc,
// never run. The expected errors keep the declarations from admitting what the library refuses.
import { connect, HVDetectorError, type HVDetectorErrorCode, type PanelDetail } from 'hvdetector';

function explain(code: HVDetectorErrorCode): string {
  switch (code) {
    case 'no-extension': return 'install the extension';
    case 'no-host': return 'install the application';
    case 'refused-origin': return 'not one of our pages';
    case 'version-mismatch': return 'update';
    case 'closed': return 'reconnect';
    case 'member': return 'the control refused';
  }
}

export async function detectAndInstall(panel: HTMLElement): Promise<string> {
  try {
    const base = await connect();
    const { page, extension, host } = base.versions;
    base.mount(panel);
    base.addEventListener('panel', (event) => {
      const detail: PanelDetail = event.detail;
      panel.title = `${detail.caption} ${detail.value}%`;
    });
    base.addEventListener('box', (event) => alert(`${event.detail.title ?? ''} ${event.detail.text}`));
    base.addEventListener('close', (event) => console.log(event.detail.message));
    if (!(await base.get('HasCvxMime')))
      await base.call('INSTALL');
    await base.put('DownloadLocation', 'https://www.corvantis.example/install.exe');
    // @ts-expect-error: what the host sends is the library's own business
    base.receive({ type: 'result' });
    // @ts-expect-error: members take script values only
    await base.call('LAUNCH', { url: 'x' });
    return `${page} ${extension ?? '?'} ${host ?? '?'}`;
  } catch (error) {
    if (!(error instanceof HVDetectorError))
      throw error;
    if (error.code === 'member')
      return `${error.number ?? 0} ${error.description ?? ''} ${error.source ?? ''}`;
    // @ts-expect-error: no such code
    if (error.code === 'timeout')
      return '';
    return explain(error.code);
  }
}

// The classic script's global, for pages without a bundler.
export const classic = window.HVDetector?.connect();
