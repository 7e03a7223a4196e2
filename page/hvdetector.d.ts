// Types of the HVDetector page library, for its ES module and for the classic script's
// window.HVDetector alike.

/** What tells the library's failures apart. */
export type HVDetectorErrorCode =
  | 'no-extension'
  | 'no-host'
  | 'refused-origin'
  | 'version-mismatch'
  | 'closed'
  | 'member';

/** The three pieces of the bridge, each with its own version. */
export type HVDetectorPiece = 'page' | 'extension' | 'host';

export type HVDetectorVersions = Readonly<Record<HVDetectorPiece, string | null>>;

export class HVDetectorError extends Error {
  readonly code: HVDetectorErrorCode;
  /** The runtime's error number ("member" errors). */
  readonly number?: number;
  /** The runtime's error description, also the message ("member" errors). */
  readonly description?: string;
  /** The runtime's error source ("member" errors). */
  readonly source?: string;
  /** The pieces to update ("version-mismatch" errors). */
  readonly update?: HVDetectorPiece[];
  /** The versions met ("version-mismatch" errors). */
  readonly versions?: HVDetectorVersions;
}

/** A value a member takes or returns: null stands for an empty value. */
export type HVDetectorValue = string | number | boolean | null | HVDetectorValue[];

export interface PanelChild {
  name: string;
  kind: 'label' | 'image' | 'shape' | 'progress';
  left: number;
  top: number;
  width: number;
  height: number;
  visible: boolean;
  caption?: string;
  color?: string;
  backColor?: string;
  font?: { name: string; points: number; bold: boolean };
  picture?: string;
  value?: number;
}

/** What the panel shows: the status label's caption and colour, the bar's value (0 to 100). */
export interface PanelDetail {
  caption: string;
  color: string;
  value: number;
  visible: boolean;
  /** In twips, 15 to a pixel. */
  width: number;
  height: number;
  children: PanelChild[];
}

/** A message box the control shows: its title (null when it has none of its own) and text. */
export interface BoxDetail {
  title: string | null;
  text: string;
}

export interface CloseDetail {
  message: string;
}

export interface BaseEventMap {
  panel: CustomEvent<PanelDetail>;
  box: CustomEvent<BoxDetail>;
  close: CustomEvent<CloseDetail>;
}

/** The panel drawn into a page element by Base.mount. */
export interface PanelView {
  draw(detail: PanelDetail): void;
}

/** One connection to the control, through the extension and the messaging host. */
export interface Base extends EventTarget {
  readonly versions: HVDetectorVersions;
  get(name: string): Promise<HVDetectorValue>;
  put(name: string, value: HVDetectorValue): Promise<HVDetectorValue>;
  call(name: string, ...args: HVDetectorValue[]): Promise<HVDetectorValue>;
  addEventListener<K extends keyof BaseEventMap>(type: K,
    listener: (this: Base, event: BaseEventMap[K]) => void,
    options?: boolean | AddEventListenerOptions): void;
  addEventListener(type: string, listener: EventListenerOrEventListenerObject | null,
    options?: boolean | AddEventListenerOptions): void;
  removeEventListener<K extends keyof BaseEventMap>(type: K,
    listener: (this: Base, event: BaseEventMap[K]) => void,
    options?: boolean | EventListenerOptions): void;
  removeEventListener(type: string, listener: EventListenerOrEventListenerObject | null,
    options?: boolean | EventListenerOptions): void;
  mount(element: Element): PanelView;
  close(): void;
}

/** Connects to the control; rejects with an HVDetectorError saying what is missing. */
export function connect(): Promise<Base>;

declare global {
  interface Window {
    HVDetector?: { connect: typeof connect; HVDetectorError: typeof HVDetectorError };
  }
}
