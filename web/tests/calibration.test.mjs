// The mount dialog's calibration tab against the command line's
// « monture --derive »: the same figures for the same file and inputs, the
// same stored DureeTour after "Appliquer", the same refusals, and a tab that
// axe-core accepts.
import AxeBuilder from '@axe-core/playwright';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { test, expect, here, save, listLines } from './page.mjs';

const cli = (...args) => execFileSync(process.env.KORVAL_CLI, args, { encoding: 'utf8', stdio: 'pipe' });

// The factory file with V1AD 28, so that the figures come from the opened file.
function slowerFile() {
  const file = join(mkdtempSync(join(tmpdir(), 'korval-')), 'lente.kv2');
  cli('set', here('files/monture.kv2'), 'V1AD=28', '-o', file);
  return file;
}

// The page's fields and the command line's options, in one table.
const fields = [
  ['EditDerive', '--derive'], ['EditEchelle', '--echelle'], ['EditDureeMesure', '--pendant'],
  ['EditDeclinaison', '--declinaison'], ['ComboSuiviCalibration', '--suivi'],
];
function options(inputs) {
  const out = fields.filter(([id]) => inputs[id] !== undefined).flatMap(([id, option]) => [option, inputs[id]]);
  return inputs.vers ? [...out, '--vers', inputs.vers] : out;
}

async function openCalibration(page, file, inputs) {
  await page.locator('#ChoixFichier').setInputFiles(file);
  await page.locator('#ButtonMonture').click();
  await expect(page.locator('#DialogueMonture')).toBeVisible();
  await page.locator('#OngletCalibration').click();
  await expect(page.locator('#PanneauCalibration')).toBeVisible();
  await expect(page.locator('#PanneauTrain')).toBeHidden();
  for (const [id] of fields) if (inputs[id] !== undefined) await page.locator(`#${id}`).fill(inputs[id]);
  if (inputs.vers === 'est') await page.locator('#RadioEst').check();
}

const cases = [
  ['15.04″ west in a minute', { EditDerive: '15.04', EditDureeMesure: '1:00' }],
  ['pixels, a southern star drifting east', { EditDerive: '4', EditEchelle: '3.76', EditDureeMesure: '90s', EditDeclinaison: '-30', vers: 'est' }],
  ['King rate, ten minutes at δ 45°', { EditDerive: '2,5', EditDureeMesure: '10min', EditDeclinaison: '45', ComboSuiviCalibration: 'King' }],
];
for (const [name, inputs] of cases) {
  test(`the figures are the command line's: ${name}`, async ({ page }) => {
    const file = slowerFile();
    const printed = cli('monture', file, ...options(inputs));
    await openCalibration(page, file, inputs);
    const shown = await page.locator('#TextCalibration').textContent();
    expect(shown.startsWith(printed)).toBe(true);
    expect(shown).toContain('T = 28 (V1AD)');
    const dureeTour = JSON.parse(cli('monture', file, ...options(inputs), '--json')).DureeTour;
    expect(shown.slice(printed.length)).toBe(`\n« Appliquer » écrit DureeTour = ${dureeTour.toFixed(6)} ;\n`
      + 'cliquez ensuite dans « Période IT (ns) » pour chercher la période.');
  });
}

test('Appliquer types the corrected DureeTour; the search and the saved file are the command line\'s', async ({ page }) => {
  const file = slowerFile();
  const out = join(mkdtempSync(join(tmpdir(), 'korval-')), 'cli.kv2');
  const inputs = { EditDerive: '10', EditDureeMesure: '5:00', EditDeclinaison: '-45', vers: 'est' };
  const json = JSON.parse(cli('monture', file, ...options(inputs), '-o', out, '--json'));
  await openCalibration(page, file, inputs);
  await expect(page.locator('#ButtonAppliquer')).toBeHidden();
  await page.locator('#ButtonAppliquerCalibration').click();
  await expect(page.locator('#DialogueMonture')).toBeHidden();
  await expect(page.locator('#EditDureeTour')).toHaveValue(json.DureeTour.toFixed(6));
  await expect(page.locator('#EditPasParTour')).toHaveValue('25600');

  await page.locator('#EditPeriodeTimer').click();
  expect((await listLines(page))[0]).toBe(json.Meilleure.ligne);
  await page.locator('#ListBoxValeurTimer').press('Escape');
  const saved = await save(page, 'page');
  expect(saved['page.kv2'].toString('hex')).toBe(readFileSync(out).toString('hex'));
});

// A refused input: the command line's message, under the page's caption.
const refusals = [
  ['EditDerive', 'douze'], ['EditEchelle', '-2'], ['EditDureeMesure', ''], ['EditDureeMesure', '0:00'],
  ['EditDureeMesure', '600'], ['EditDeclinaison', '90'], ['EditDeclinaison', '-95'], ['ComboSuiviCalibration', '0'],
];
for (const [id, text] of refusals) {
  test(`${id} « ${text} » is refused with its message`, async ({ page }) => {
    const inputs = { EditDerive: '3', EditDureeMesure: '1:00', [id]: text };
    await openCalibration(page, here('files/monture.kv2'), inputs);
    let message = '';
    try {
      cli('monture', here('files/monture.kv2'), ...options(inputs));
    } catch (error) {
      expect(error.status).toBe(2);
      message = error.stderr.trim();
    }
    const option = fields.find(([field]) => field === id)[1];
    const reason = message.match(new RegExp(`${option}( : .*?) ; rien n'est écrit$`))[1];
    const caption = await page.locator(`label[for="${id}"]`).textContent();
    await expect(page.locator('#TextCalibration')).toHaveText(caption + reason);
    await expect(page.locator(`#${id}`)).toHaveAttribute('aria-invalid', 'true');
    await expect(page.locator('#ButtonAppliquerCalibration')).toBeDisabled();
  });
}

test('the tabs follow the arrow keys, the direction is explained, axe-core accepts the tab', async ({ page }) => {
  await page.locator('#ButtonMonture').click();
  await page.locator('#OngletTrain').focus();
  await page.keyboard.press('ArrowRight');
  await expect(page.locator('#OngletCalibration')).toBeFocused();
  await expect(page.locator('#OngletCalibration')).toHaveAttribute('aria-selected', 'true');
  await expect(page.locator('#PanneauCalibration')).toBeVisible();
  await expect(page.locator('#AideSens')).toContainText("Vers l'ouest (où filent les étoiles quand le suivi est arrêté) : la monture suit trop lentement");
  await expect(page.locator('#RadioOuest')).toBeChecked();
  const result = await new AxeBuilder({ page }).include('#DialogueMonture').analyze();
  expect(result.violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(' ')}`)).toEqual([]);
  await page.keyboard.press('ArrowLeft');
  await expect(page.locator('#PanneauTrain')).toBeVisible();
  await expect(page.locator('#ButtonAppliquer')).toBeVisible();
  await expect(page.locator('#ButtonAppliquerCalibration')).toBeHidden();
});
