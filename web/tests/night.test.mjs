// The night look of the page: every screenshot by night, dialogs open, holds
// no pixel with green or blue, where the same screen by day shows its
// colours; what must stay distinct does, the choice outlives a reload,
// theme-color follows, no accessible name changes, and axe-core still accepts
// the page.
import AxeBuilder from '@axe-core/playwright';
import { test, expect, here } from './page.mjs';

// Counts in a blank page of the same browser (the page's own rules allow no
// image from a script): the pixels with green or blue, and those of `colours`.
async function countPixels(context, png, colours = []) {
  const scratch = await context.newPage();
  const counts = await scratch.evaluate(async ({ data, colours }) => {
    const bytes = Uint8Array.from(atob(data), (c) => c.charCodeAt(0));
    const bitmap = await createImageBitmap(new Blob([bytes], { type: 'image/png' }));
    const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
    const context2d = canvas.getContext('2d');
    context2d.drawImage(bitmap, 0, 0);
    const pixels = context2d.getImageData(0, 0, bitmap.width, bitmap.height).data;
    const found = colours.map(() => 0);
    let notRed = 0;
    for (let i = 0; i < pixels.length; i += 4) {
      if (pixels[i + 1] > 0 || pixels[i + 2] > 0) ++notRed;
      colours.forEach(([r, g, b], k) => {
        if (pixels[i] === r && pixels[i + 1] === g && pixels[i + 2] === b) ++found[k];
      });
    }
    return { notRed, found };
  }, { data: png.toString('base64'), colours });
  await scratch.close();
  return counts;
}

const LIME = [0, 255, 0];
const GREY_DISPLAY = [102, 102, 102];

for (const [screen, prepare, dayColours] of [
  ['the window, the list open on a marked box', async (page) => {
    await page.locator('#EditPwm3').fill('300');
    await page.locator('#EditPeriodeTimer').click();
    await page.locator('#ligne-1').click();
  }, [LIME, GREY_DISPLAY]],
  ['a fault message', async (page) => {
    await page.locator('#EditPasParTour').fill('0');
    await page.locator('#EditPeriodeTimer').click();
    await expect(page.locator('#MessageErreur')).toBeVisible();
  }, []],
  ['the question before a file of another form', async (page) => {
    await page.locator('#ChoixFichier').setInputFiles(here('files/court.kv2'));
    await expect(page.locator('#QuestionOuvrir')).toBeVisible();
  }, []],
  ['the save dialog', async (page) => page.locator('#ButtonSauvegarder').click(), []],
  ['the mount dialog', async (page) => page.locator('#ButtonMonture').click(), []],
  ['the board dialog, a firmware chosen', async (page) => {
    await page.locator('#ButtonCarte').click();
    await page.locator('#ChoixMicrologiciel').setInputFiles(here('files/micrologiciel.hex'));
  }, []],
  ['the mount dialog\'s calibration tab', async (page) => {
    await page.locator('#ButtonMonture').click();
    await page.locator('#OngletCalibration').click();
  }, []],
]) {
  test(`by night ${screen} is pure red, by day it has its colours`, async ({ page, context }) => {
    await prepare(page);
    const day = await countPixels(context, await page.screenshot(), dayColours);
    expect(day.notRed).toBeGreaterThan(1000);
    for (const count of day.found) expect(count).toBeGreaterThan(100);
    await page.keyboard.press('Alt+KeyN'); // also from inside an open dialog
    await expect(page.locator('html[data-nuit]')).toHaveCount(1);
    const night = await countPixels(context, await page.screenshot(), [[255, 0, 0]]);
    expect(night.found[0]).toBeGreaterThan(100); // the text is there, in red
    expect(night.notRed).toBe(0);
  });
}

// Every name and description the browser's accessibility tree gives, in its order.
async function accessibleNames(page) {
  const cdp = await page.context().newCDPSession(page);
  const { nodes } = await cdp.send('Accessibility.getFullAXTree');
  await cdp.detach();
  return nodes.filter((node) => node.name?.value)
    .map((node) => `${node.role?.value}: ${node.name.value} | ${node.description?.value ?? ''}`);
}

test('the choice outlives a reload, theme-color follows, no name changes', async ({ page }) => {
  const theme = page.locator('meta[name="theme-color"]');
  const dayTheme = await theme.getAttribute('content');
  const names = await accessibleNames(page);
  const button = page.getByRole('button', { name: 'Nuit' });
  await expect(button).toHaveAttribute('title', /Alt\+N/);
  await button.click();
  await expect(button).toHaveAttribute('aria-pressed', 'true');
  await expect(theme).toHaveAttribute('content', '#000000');
  expect(await accessibleNames(page)).toEqual(names);

  await page.reload();
  await expect(page.locator('body[data-pret="1"]')).toHaveCount(1);
  await expect(page.locator('html[data-nuit]')).toHaveCount(1);
  await expect(button).toHaveAttribute('aria-pressed', 'true');
  await expect(theme).toHaveAttribute('content', '#000000');

  await page.keyboard.press('Alt+KeyN');
  await expect(page.locator('html[data-nuit]')).toHaveCount(0);
  await expect(theme).toHaveAttribute('content', dayTheme);
  await page.reload();
  await expect(page.locator('body[data-pret="1"]')).toHaveCount(1);
  await expect(page.locator('html[data-nuit]')).toHaveCount(0);
  await expect(button).toHaveAttribute('aria-pressed', 'false');
});

test('axe-core reports no violation by night, the mount dialog open', async ({ page }) => {
  test.setTimeout(120000);
  await page.locator('#ButtonNuit').click();
  expect((await new AxeBuilder({ page }).analyze()).violations.map((v) => v.id)).toEqual([]);
  await page.locator('#ButtonMonture').click();
  const { violations } = await new AxeBuilder({ page }).include('#DialogueMonture').analyze();
  expect(violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(' ')}`)).toEqual([]);
});

test('by night what must stay distinct does', async ({ page }) => {
  await page.locator('#ButtonNuit').click();
  await page.locator('#EditPwm3').fill('300');
  await page.locator('#EditPeriodeTimer').click();
  await page.locator('#ligne-1').click();
  await page.locator('#EditJeuAD').focus();
  const look = (selector) => page.locator(selector).evaluate((element) => {
    const style = getComputedStyle(element);
    return { background: style.backgroundColor, border: `${style.borderTopStyle} ${style.borderTopColor}`,
      outline: `${style.outlineStyle} ${style.outlineWidth} ${style.outlineColor}` };
  });
  const plain = await look('#EditJeuDe');
  const display = await look('#EditXAD1');
  expect(display.background).not.toBe(plain.background); // the grey displays
  expect((await look('#EditV1AD')).background).toBe(display.background); // typeable, with their look
  expect((await look('#EditPeriodeTimer')).border).not.toBe(plain.border);
  const marked = await look('#EditPwm3');
  const focused = await look('#EditJeuAD');
  expect(marked.outline).not.toBe(plain.outline);
  expect(focused.outline).not.toBe(plain.outline);
  expect(focused.outline).not.toBe(marked.outline);
  expect((await look('#ligne-1')).background).not.toBe((await look('#ligne-2')).background);
  await expect(page.locator('#EditPwm3')).toHaveAttribute('title', /300/); // the note stays
  await page.locator('#ButtonMonture').click();
  await page.locator('#EditDents').fill('0'); // refused: « Appliquer » is disabled
  const apply = page.locator('#ButtonAppliquer');
  await expect(apply).toBeDisabled();
  expect((await look('#ButtonAppliquer')).border).not.toBe((await look('#ButtonFermer')).border);
});
