// The page against the window: the same texts at start-up, the same displays
// and saved bytes after each session, the same candidate lines.
import { execFileSync } from 'node:child_process';
import { test, expect, expected, sessions, replay, pageState, listLines, save } from './page.mjs';

// Controls that the window never lets its user see (covered, or placed off its client area).
const notOnThePage = ['Label39'];

// The window's own texts, as its start-up test reads them.
const startUp = [
  ['Form1', 'Programme de configuration de KORVAL 2.4'],
  ['Label22', 'Fréquence du  Quartz (Hz)'],
  ['Label23', "Durée d'un tour de vis AD (s)"],
  ['Label36', 'Pér. max (ms)'],
  ['Label44', '<65536'],
  ['Label7', 'Temps en secondes entières'],
  ['GroupBox1', "Nombre d'it entre pas"],
  ['GroupBox5', 'Accélération'],
  ['ButtonSauvegarder', 'Sauvegarder'],
  ['EditFrequenceQuartz', '14745600'],
  ['EditPasParTour', '25600'],
  ['EditPeriodeTimer', '708279'],
  ['EditPerPas', '23.374'],
  ['EditMaintienFoc', '  3.54'],
  ['EditPwm8', '247'],
  ['EditErreur', ' '],
  ['EditV1AD', '33'],
  ['EditV4De', '6'],
  ['EditV7Foc', '1'],
];

test('start-up texts are the window\'s', async ({ page }) => {
  const texts = await pageState(page, startUp.map(([name]) => name));
  for (const [name, text] of startUp) expect(texts[name]?.[0], name).toBe(text);
  const names = Object.keys(expected['démarrage'].controls);
  const shown = await pageState(page, names);
  expect(names.filter((name) => !(name in shown) && name !== 'ListBoxValeurTimer')).toEqual(notOnThePage);
});

for (const session of sessions) {
  test(`session: ${session.name}`, async ({ page }) => {
    const want = expected[session.name];
    const { errors, saved } = await replay(page, session.actions);
    const shown = await pageState(page, Object.keys(want.controls));
    for (const [name, [text, checked, note]] of Object.entries(want.controls)) {
      if (!(name in shown)) continue;
      const [shownText, shownChecked, marked, explanation] = shown[name];
      if (shownText !== null) expect(shownText, name).toBe(text);
      if (shownChecked !== null) expect(shownChecked, name).toBe(checked);
      expect(marked, name).toBe(note !== '');
      if (note) expect(explanation, name).toContain(note);
    }
    expect(errors).toEqual(want.errors);
    await expect(page.locator('#ListBoxValeurTimer')).toBeVisible({ visible: want.listVisible });
    if (want.listVisible) expect(await listLines(page)).toEqual(want.list);
    if (want.kv2Name) {
      expect(Object.keys(saved).sort()).toEqual([want.hexName, want.kv2Name].sort());
      expect(saved[want.kv2Name].toString('hex')).toBe(want.kv2);
      expect(saved[want.hexName].toString('latin1')).toBe(want.hex);
    }
  });
}

const cli = (...args) => execFileSync(process.env.KORVAL_CLI, ['search', ...args], { encoding: 'utf8' })
  .split('\n').filter((line) => line.trim() !== '');

for (const [label, typed, args, count] of [
  ['factory', [], [], 293],
  ['1,512 lines', [['EditFrequenceQuartz', '20000000'], ['EditDureeTour', '55090'], ['EditPasParTour', '180065']],
    ['--quartz', '20000000', '--turn', '55090', '--steps', '180065'], 1512],
]) {
  test(`candidate lines, ${label}, equal the command line's`, async ({ page }) => {
    for (const [name, text] of typed) await page.locator(`#${name}`).fill(text);
    await page.locator('#EditPeriodeTimer').click();
    const lines = await listLines(page);
    expect(lines).toHaveLength(count);
    expect(lines).toEqual(cli(...args));
    await expect(page.locator('#ligne-0 .derive')).toHaveText(/^dérive : .* s\/jour$/);
  });
}

test('the keyboard opens the list, applies a line and closes it', async ({ page }) => {
  const want = expected['application de la troisième ligne'].controls;
  const period = page.locator('#EditPeriodeTimer');
  await period.focus();
  await period.press('F4');
  await expect(page.locator('#ListBoxValeurTimer')).toBeFocused();
  await page.keyboard.press('ArrowDown');
  await page.keyboard.press('ArrowDown');
  await expect(page.locator('#ligne-2')).toHaveAttribute('aria-selected', 'true');
  await page.keyboard.press('Enter');
  await expect(page.locator('#ListBoxValeurTimer')).toBeHidden();
  for (const name of ['EditPeriodeTimer', 'EditV1AD', 'EditV1De', 'EditErreur', 'EditVmax', 'EditPeriodeMax'])
    await expect(page.locator(`#${name}`), name).toHaveValue(want[name][0]);
  await period.press('Alt+ArrowDown');
  await expect(page.locator('#ListBoxValeurTimer')).toBeVisible();
  await page.keyboard.press('Escape');
  await expect(page.locator('#ListBoxValeurTimer')).toBeHidden();
  await expect(period).toBeFocused();
  await expect(period).toHaveValue(want.EditPeriodeTimer[0]);
});

test('a file dropped on the page opens as with Ouvrir', async ({ page }) => {
  const files = await save(page, 'depose');
  const bytes = [...files['depose.kv2']];
  await page.locator('#EditFrequenceQuartz').fill('1');
  const transfer = await page.evaluateHandle((data) => {
    const t = new DataTransfer();
    t.items.add(new File([new Uint8Array(data)], 'depose.kv2'));
    return t;
  }, bytes);
  await page.dispatchEvent('main', 'drop', { dataTransfer: transfer });
  await expect(page.locator('#EditFrequenceQuartz')).toHaveValue('14745600');
});
