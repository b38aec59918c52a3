// « Carte… » in the page: the whole image it downloads is, byte for byte,
// what `korvalset24-cli image` writes for the same table and firmware, the
// window's current table included (a field changed in the page); a broken
// firmware is said in the error dialog and nothing is downloaded; the
// dialog is reached and left by keyboard, with names for screen readers.
import AxeBuilder from '@axe-core/playwright';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { test, expect, here, open } from './page.mjs';

const dumps = process.env.KORVAL_HEX_DUMPS;
const cli = (...args) => execFileSync(process.env.KORVAL_CLI, args, { encoding: 'utf8', stdio: 'pipe' });

// The CLI's whole image of monture.kv2 with `assignment` set, over `firmware`;
// and the same without the change, which the page's image must not be.
function cliImages(firmware, assignment) {
  const folder = mkdtempSync(join(tmpdir(), 'korval-carte-'));
  try {
    cli('set', here('files/monture.kv2'), assignment, '-o', join(folder, 'changee.kv2'));
    cli('image', join(folder, 'changee.kv2'), firmware, '-o', join(folder, 'changee-image.hex'));
    cli('image', here('files/monture.kv2'), firmware, '-o', join(folder, 'monture-image.hex'));
    return { changed: readFileSync(join(folder, 'changee-image.hex')),
      saved: readFileSync(join(folder, 'monture-image.hex')) };
  } finally {
    rmSync(folder, { recursive: true, force: true });
  }
}

async function openBoardDialog(page) {
  await page.getByRole('button', { name: 'Carte…' }).click();
  const dialog = page.getByRole('dialog', { name: 'Carte' });
  await expect(dialog).toBeVisible();
  return dialog;
}

async function shownMessages(page) {
  await expect(page.locator('#MessageErreur')).toBeVisible();
  const texts = await page.locator('#TexteErreur p').allTextContents();
  await page.locator('#FermerErreur').click();
  return texts;
}

const images = [
  // The board's program memory read back: 32 KiB, shuffled lines, lower case, a type-04 record.
  { firmware: () => join(dumps, 'memory.hex'), box: 'EditJeuAD', text: '321', assignment: 'JeuAD=321' },
  // A firmware of srec_cat with gaps, a part of the table's rows, bytes above 64 KiB.
  { firmware: () => here('files/micrologiciel.hex'), box: 'EditPwm3', text: '77', assignment: 'Pwm3=77' },
];
for (const { firmware, box, text, assignment } of images) {
  test(`the page's whole image over ${firmware().split('/').pop()} is the CLI's, ${assignment} typed`, async ({ page }) => {
    const expected = cliImages(firmware(), assignment);
    expect(expected.changed.equals(expected.saved)).toBe(false);
    await open(page, here('files/monture.kv2'));
    await page.locator(`#${box}`).fill(text); // not saved: the window's table is the one written
    await openBoardDialog(page);
    await page.locator('#ChoixMicrologiciel').setInputFiles(firmware());
    await expect(page.locator('#EditMicrologiciel')).toHaveValue(firmware().split('/').pop());
    const [download] = await Promise.all([page.waitForEvent('download'),
      page.getByRole('button', { name: "Écrire l'image complète…" }).click()]);
    expect(download.suggestedFilename()).toBe('monture-image.hex');
    const bytes = readFileSync(await download.path());
    expect(bytes.toString('latin1')).toBe(expected.changed.toString('latin1'));
  });
}

test('a broken firmware is said and gives no image; the next one does', async ({ page }) => {
  const downloads = [];
  page.on('download', (download) => downloads.push(download));
  await openBoardDialog(page);
  const write = page.locator('#ButtonEcrireImage');
  await expect(write).toBeDisabled(); // no firmware yet
  await page.locator('#ChoixMicrologiciel').setInputFiles(join(dumps, 'broken.hex'));
  await write.click();
  const messages = await shownMessages(page);
  expect(messages).toHaveLength(1);
  expect(messages[0]).toContain("Impossible d'écrire l'image complète");
  expect(messages[0]).toContain('« broken.hex » n\'est pas une image Intel HEX lisible');
  expect(messages[0]).toContain('ligne 3 : somme de contrôle');
  await expect(page.locator('#DialogueCarte')).toBeVisible();
  // Downloads come in order: had the broken one given a file, it would come first.
  await page.locator('#ChoixMicrologiciel').setInputFiles(here('files/micrologiciel.hex'));
  await write.click();
  await expect.poll(() => downloads.length).toBe(1);
  expect(downloads[0].suggestedFilename()).toBe('table-image.hex'); // no file opened or saved
  expect(readFileSync(await downloads[0].path()).toString('latin1'))
    .toContain(':020000040030CA\r\n'); // the bytes above 64 KiB kept
});

test('the dialog by keyboard: its first button focused, Esc closes it; axe-core accepts it', async ({ page }) => {
  const dialog = await openBoardDialog(page);
  await expect(page.locator('#ButtonChoisirMicrologiciel')).toBeFocused();
  await expect(dialog).toContainText('outil de bureau'); // programming: the desktop tool
  const { violations } = await new AxeBuilder({ page }).include('#DialogueCarte').analyze();
  expect(violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(' ')}`)).toEqual([]);
  await page.keyboard.press('Tab');
  await expect(page.locator('#FermerCarte')).toBeFocused(); // « Écrire… » waits for a firmware
  await page.keyboard.press('Escape');
  await expect(dialog).toBeHidden();
  await expect(page.locator('#ButtonCarte')).toBeFocused();
});
