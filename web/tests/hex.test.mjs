// The board's program memory read back, in the page: each dump made by
// tests/support/make_hex_dumps.sh opens with the record korvalset24-cli
// import-hex gives, or is refused with the line named and the page left as it
// was; « Comparer… » lists what differs, copies it, and changes nothing.
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { test, expect, save } from './page.mjs';

const dumps = process.env.KORVAL_HEX_DUMPS;
const dump = (name) => join(dumps, name);
const note = (name) => `Table lue dans ${name}. La carte ne garde ni la fréquence du quartz, `
  + "ni les pas par tour, ni la durée d'un tour : ceux de la fenêtre sont gardés.";
const boardTable = ['V2AD : 16 -> 16/2', 'JeuAD : 100 pas -> 123 pas', 'TranchePec : 0 -> 7', 'Pwm3 : 167 -> 200'];

// Every box and check box of the page.
const pageInputs = (page) => page.evaluate(() => [...document.querySelectorAll('#Fenetre input')]
  .map((el) => `${el.id}=${el.type === 'checkbox' ? el.checked : el.value}`));

async function shownMessages(page) {
  const dialog = page.locator('#MessageErreur');
  await expect(dialog).toBeVisible();
  const texts = await page.locator('#TexteErreur p').allTextContents();
  await page.locator('#FermerErreur').click();
  return texts;
}

const opens = [
  { file: 'board.hex', refusal: '' },
  { file: 'memory.hex', refusal: '' },
  { file: 'broken.hex', refusal: 'ligne 3 : somme de contrôle' },
  { file: 'notable.hex', refusal: 'la table de configuration est incomplète' },
];
for (const { file, refusal } of opens) {
  test(`ouvrir ${file}`, async ({ page }) => {
    await page.locator('#EditFrequenceQuartz').fill('20000000'); // the page's own, kept
    const before = await pageInputs(page);
    await page.locator('#ChoixFichier').setInputFiles(dump(file));
    const messages = await shownMessages(page);
    if (refusal) {
      expect(messages).toHaveLength(1);
      expect(messages[0]).toContain(refusal);
      expect(await pageInputs(page)).toEqual(before);
      return;
    }
    expect(messages).toEqual([note(file)]);
    await expect(page.locator('#EditJeuAD')).toHaveValue('123');
    await expect(page.locator('#CheckBoxAD2')).toBeChecked();
    await expect(page.locator('#EditFrequenceQuartz')).toHaveValue('20000000');
    // Save proposes a name whose .hex is not the dump; its table is import-hex's.
    await page.locator('#ButtonSauvegarder').click();
    await expect(page.locator('#NomFichier')).toHaveValue(`${file}.kv2`);
    await page.locator('#AnnulerSauvegarde').click();
    const saved = await save(page, `${file}.kv2`);
    const recovered = readFileSync(dump('recovered.kv2'));
    expect(saved[`${file}.kv2`].subarray(0, 49).toString('hex')).toBe(recovered.subarray(0, 49).toString('hex'));
  });
}

const comparisons = [
  { name: 'saved, unchanged', edit: '', file: '', lines: ['Identique à la fenêtre'], tableOnly: false },
  { name: 'one edit', edit: '321', file: '', lines: ['JeuDe : 321 pas -> 100 pas'], tableOnly: false },
  { name: 'a HEX image', edit: '', file: 'memory.hex', lines: boardTable, tableOnly: true },
];
for (const { name, edit, file, lines, tableOnly } of comparisons) {
  test(`comparer : ${name}`, async ({ page, context }) => {
    await context.grantPermissions(['clipboard-read', 'clipboard-write']);
    let chosen;
    if (file) {
      await page.locator('#EditFrequenceQuartz').fill('20000000'); // not in an image
      chosen = dump(file);
    } else {
      const saved = await save(page, 'a');
      chosen = { name: 'a.kv2', mimeType: 'application/octet-stream', buffer: saved['a.kv2'] };
    }
    if (edit) await page.locator('#EditJeuDe').fill(edit);
    const before = await pageInputs(page);
    await page.locator('#ChoixComparaison').setInputFiles(chosen);
    const dialog = page.locator('#DialogueComparer');
    await expect(dialog).toBeVisible();
    await expect(page.locator('#ListeDifferences')).toHaveText(lines.join('\n'));
    expect((await page.locator('#EnteteComparaison').textContent()).includes('seuls les champs de la table'))
      .toBe(tableOnly);
    const text = `${await page.locator('#EnteteComparaison').textContent()}\n${lines.join('\n')}`;
    await page.evaluate(() => navigator.clipboard.writeText(''));
    await page.locator('#ButtonCopier').click();
    await expect.poll(() => page.evaluate(() => navigator.clipboard.readText())).toBe(text);
    await page.evaluate(() => navigator.clipboard.writeText(''));
    await page.locator('#ListeDifferences').press('Control+c');
    await expect.poll(() => page.evaluate(() => navigator.clipboard.readText())).toBe(text);
    if (process.env.KORVAL_SCREENSHOTS && tableOnly) {
      await page.screenshot({ path: join(process.env.KORVAL_SCREENSHOTS, 'web-compare.png') });
      await page.setViewportSize({ width: 390, height: 800 });
      await page.screenshot({ path: join(process.env.KORVAL_SCREENSHOTS, 'web-compare-phone.png') });
    }
    await page.locator('#FermerComparaison').click();
    await expect(dialog).toBeHidden();
    expect(await pageInputs(page)).toEqual(before);
  });
}

test('comparer : a broken image is refused, nothing changes', async ({ page }) => {
  await page.locator('#EditJeuAD').fill('321');
  const before = await pageInputs(page);
  await page.locator('#ChoixComparaison').setInputFiles(dump('broken.hex'));
  const messages = await shownMessages(page);
  expect(messages).toHaveLength(1);
  expect(messages[0]).toContain('ligne 3 : somme de contrôle');
  await expect(page.locator('#DialogueComparer')).toBeHidden();
  expect(await pageInputs(page)).toEqual(before);
});
