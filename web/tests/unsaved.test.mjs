// What the page asks before something is lost: the browser's leave-page
// prompt over unsaved changes only, and its own question before a file
// without the form of a parameter file is opened.
import AxeBuilder from '@axe-core/playwright';
import { readFileSync } from 'node:fs';
import { test, expect, save, here } from './page.mjs';

// Closes the page as a user leaving it does: 'beforeunload' when the browser
// asks first (the prompt is dismissed: the page stays), 'closed' otherwise.
async function leave(page) {
  // The browser prompts only once it knows the page was touched.
  await expect.poll(() => page.evaluate(() => navigator.userActivation.hasBeenActive)).toBe(true);
  let dismissed = null;
  const outcome = new Promise((resolve) => {
    page.once('dialog', (dialog) => { dismissed = dialog.dismiss(); resolve(dialog.type()); });
    page.once('close', () => resolve('closed'));
  });
  await page.close({ runBeforeUnload: true });
  const result = await outcome;
  if (dismissed) {
    await dismissed;
    await page.close(); // without asking: the test is over
  }
  return result;
}

for (const [label, steps, want] of [
  ['nothing changed', [], 'closed'],
  ['a value typed', [['EditJeuAD', '120']], 'beforeunload'],
  ['a value typed back', [['EditJeuAD', '120'], ['EditJeuAD', '100']], 'closed'],
  ['changes saved', [['EditJeuAD', '120'], 'save'], 'closed'],
  ['a change after the save', [['EditJeuAD', '120'], 'save', ['EditPwm3', '9']], 'beforeunload'],
]) {
  test(`leaving the page: ${label}`, async ({ page }) => {
    // The browser prompts only on a page the user has touched.
    await page.locator('#EditJeuAD').click();
    for (const step of steps) {
      if (step === 'save') await save(page, 'sauvee');
      else await page.locator(`#${step[0]}`).fill(step[1]);
    }
    expect(await leave(page)).toBe(want);
  });
}

const photo = { name: 'monture.jpg', mimeType: 'image/jpeg', buffer: Buffer.alloc(48213, 0xff) };
const longFile = { name: 'long.kv2', mimeType: 'application/octet-stream', buffer: readFileSync(here('files/long.kv2')) };
const photoFault = 'monture.jpg n\'a pas la forme d\'un fichier de paramètres : 48 213 octets au lieu de 61, marqueurs absents';

for (const [label, file, fault, answer, quartz] of [
  ['a photo, Non', photo, photoFault, '#NePasOuvrir', '14745600'],
  ['a photo, Oui', photo, photoFault, '#OuvrirQuandMeme', '-1'],
  ['a photo, Échap', photo, photoFault, 'Escape', '14745600'],
  ['a photo, Entrée on the first focus', photo, photoFault, 'Enter', '14745600'],
  ['a long file, Oui', longFile, 'long.kv2 n\'a pas la forme d\'un fichier de paramètres : 80 octets au lieu de 61', '#OuvrirQuandMeme', '16000000'],
]) {
  test(`opening what is not a parameter file: ${label}`, async ({ page }) => {
    await page.locator('#ChoixFichier').setInputFiles(file);
    const dialog = page.locator('#QuestionOuvrir');
    await expect(dialog).toBeVisible();
    await expect(page.locator('#TexteQuestionOuvrir')).toHaveText(`${fault}. L'ouvrir quand même ?`);
    await expect(page.locator('#NePasOuvrir')).toBeFocused();
    if (answer.startsWith('#')) await page.locator(answer).click();
    else await page.keyboard.press(answer);
    await expect(dialog).toBeHidden();
    await expect(page.locator('#EditFrequenceQuartz')).toHaveValue(quartz);
  });
}

test('axe-core reports no violation with the open question shown', async ({ page }) => {
  await page.locator('#ChoixFichier').setInputFiles(photo);
  await expect(page.locator('#QuestionOuvrir')).toBeVisible();
  const { violations } = await new AxeBuilder({ page }).analyze();
  expect(violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(' ')}`)).toEqual([]);
});
