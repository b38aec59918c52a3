// The mount assistant of the page against the command line's: the same stored
// values after "Appliquer", the same refusals, and a dialog axe-core accepts.
import AxeBuilder from '@axe-core/playwright';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { test, expect, here, save } from './page.mjs';

const cli = (...args) => execFileSync(process.env.KORVAL_CLI, ['monture', ...args], { encoding: 'utf8', stdio: 'pipe' });

async function openMount(page, inputs) {
  await page.locator('#ButtonMonture').click();
  await expect(page.locator('#DialogueMonture')).toBeVisible();
  for (const [id, text] of Object.entries(inputs)) await page.locator(`#${id}`).fill(text);
}

const gear = { EditDents: '144', EditPasMoteur: '200', EditReduction: '128' };

test('Appliquer types DureeTour and PasParTour and stores what the command line stores', async ({ page }) => {
  const out = join(mkdtempSync(join(tmpdir(), 'korval-')), 'cli.kv2');
  const report = cli('--dents', '144', '--pas-moteur', '200', '--reduction', '128', here('files/monture.kv2'), '-o', out);
  await page.locator('#ChoixFichier').setInputFiles(here('files/monture.kv2'));
  // Other values first, so that both boxes must change.
  await page.locator('#EditDureeTour').fill('1');
  await page.locator('#EditPasParTour').fill('1000');
  await openMount(page, gear);
  await expect(page.locator('#TextResultats')).toContainText(report.trimEnd());
  await expect(page.locator('#TextResultats')).toContainText('DureeTour = 598.361755 et PasParTour = 25600');
  await page.locator('#ButtonAppliquer').click();
  await expect(page.locator('#DialogueMonture')).toBeHidden();
  await expect(page.locator('#EditDureeTour')).toHaveValue('598.361755');
  await expect(page.locator('#EditPasParTour')).toHaveValue('25600');
  for (const id of ['EditDureeTour', 'EditPasParTour']) await expect(page.locator(`#${id}`)).not.toHaveClass(/marque/);

  const saved = await save(page, 'page');
  expect(saved['page.kv2'].toString('hex')).toBe(readFileSync(out).toString('hex'));
});

// A row of the list « Monture » fills the gear train; the results are the
// command line's for the same row; a filled box edited frees the list.
test('the list « Monture », EQ6, gives the results of monture --monture eq6', async ({ page }) => {
  await openMount(page, {});
  await page.locator('#ComboMonture').selectOption({ label: 'Sky-Watcher EQ6 (SynScan)' });
  await expect(page.locator('#EditReduction')).toHaveValue('47/12');
  expect(await page.locator('#TextResultats').textContent()).toContain(cli('--monture', 'eq6'));
  await expect(page.locator('#AideMonture')).toContainText('EQ6-Synscan.conf');
  await page.locator('#EditDents').fill('181');
  await expect(page.locator('#ComboMonture')).toHaveValue('0');
});

// A refused input: the command line's message, under the window's caption.
const options = { EditDents: '--dents', EditPasMoteur: '--pas-moteur', EditReduction: '--reduction', ComboSuivi: '--suivi' };
for (const [id, text] of [['EditDents', '0'], ['EditPasMoteur', 'x'], ['EditReduction', '50 x'], ['ComboSuivi', '0']]) {
  test(`${id} « ${text} » is refused with its message`, async ({ page }) => {
    const inputs = { ...gear, ComboSuivi: 'sideral', [id]: text };
    await openMount(page, inputs);
    let message = '';
    try {
      cli(...Object.entries(inputs).flatMap(([name, value]) => [options[name], value]));
    } catch (error) {
      expect(error.status).toBe(2);
      message = error.stderr.trim();
    }
    const reason = message.match(new RegExp(`${options[id]}( : .*?)(?: ; rien n'est écrit)?$`))[1];
    const caption = await page.locator(`label[for="${id}"]`).textContent();
    await expect(page.locator('#TextResultats')).toHaveText(caption + reason);
    await expect(page.locator(`#${id}`)).toHaveAttribute('aria-invalid', 'true');
    await expect(page.locator('#ButtonAppliquer')).toBeDisabled();
    await page.keyboard.press('Escape');
    await expect(page.locator('#DialogueMonture')).toBeHidden();
  });
}

test('axe-core reports no violation in the open mount dialog', async ({ page }) => {
  await openMount(page, gear);
  const result = await new AxeBuilder({ page }).include('#DialogueMonture').analyze();
  expect(result.violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(' ')}`)).toEqual([]);
});
