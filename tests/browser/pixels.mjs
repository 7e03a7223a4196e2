// Photographs of the drawn panel, read at the layout's positions (pixels of the panel, 15 twips
// each): the banner is mostly dark, the bar's fill ends where its value puts it, a red label is
// red.
import { PNG } from 'pngjs';

// The element SELECTOR on PAGE as pixels, saved to FILE as well when one is named.
export async function photograph(page, selector, file = undefined) {
  const element = await page.$(selector);
  const png = await element.screenshot({ path: file });
  const image = PNG.sync.read(Buffer.from(png));
  return {
    width: image.width,
    height: image.height,
    at(x, y) {
      const i = (y * image.width + x) * 4;
      return [image.data[i], image.data[i + 1], image.data[i + 2]];
    },
  };
}

export function darkPixels(photo, { left, top, right, bottom }) {
  let count = 0;
  for (let y = top; y < bottom; y++) {
    for (let x = left; x < right; x++) {
      const [r, g, b] = photo.at(x, y);
      count += r + g + b < 384;
    }
  }
  return count;
}

export function pixelsOfColour(photo, { left, top, right, bottom }, [red, green, blue]) {
  let count = 0;
  for (let y = top; y < bottom; y++) {
    for (let x = left; x < right; x++) {
      const [r, g, b] = photo.at(x, y);
      count += Math.abs(r - red) + Math.abs(g - green) + Math.abs(b - blue) < 40;
    }
  }
  return count;
}

// The fill's right edge on the bar's middle row: the first pixel after the bar's left border
// that has the trough's colour, as far as the bar's right end.
export function barFillEnd(photo, { left, top, right, bottom }) {
  const y = Math.floor((top + bottom) / 2);
  const trough = photo.at(right - 3, y).join();
  for (let x = left + 2; x < right - 2; x++) {
    if (photo.at(x, y).join() === trough)
      return x;
  }
  return right - 2;
}
