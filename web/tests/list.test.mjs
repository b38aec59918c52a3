// The candidate list as a user sees it: the drift in a column of its own,
// whole words and margins at a phone's width, and a list that lays out only
// the lines in sight yet reaches, keeps in sight and applies any of its lines.
import { test, expect, expected } from './page.mjs';

const long = [['EditFrequenceQuartz', '20000000'], ['EditDureeTour', '55090'], ['EditPasParTour', '180065']];

async function openList(page, typed) {
  for (const [name, text] of typed) await page.locator(`#${name}`).fill(text);
  await page.locator('#EditPeriodeTimer').click();
  await expect(page.locator('#ligne-0')).toBeVisible();
  return page.locator('#ListBoxValeurTimer');
}

for (const [label, typed] of [['factory', []], ['1,512 lines', long]]) {
  test(`every line's drift starts in the same column, ${label}`, async ({ page }) => {
    const seen = await (await openList(page, typed)).evaluate(async (list) => {
      const out = { drifts: new Set(), lengths: new Set(), widths: new Set(), overlaps: 0 };
      for (const part of [0, 0.5, 1]) {
        list.scrollTop = part * (list.scrollHeight - list.clientHeight);
        await new Promise((done) => requestAnimationFrame(() => setTimeout(done)));
        for (const option of list.querySelectorAll('[role="option"]')) {
          const [text, drift] = [...option.children].map((span) => span.getBoundingClientRect());
          out.drifts.add(drift.left);
          out.lengths.add(option.firstChild.textContent.length);
          if (drift.left <= text.right) ++out.overlaps;
        }
        out.widths.add(list.getBoundingClientRect().width);
      }
      return Object.fromEntries(Object.entries(out).map(([k, v]) => [k, typeof v === 'number' ? v : v.size]));
    });
    // Texts of several lengths, else the check proves nothing; one drift column, one list width.
    expect(seen).toEqual({ drifts: 1, lengths: expect.any(Number), widths: 1, overlaps: 0 });
    expect(seen.lengths).toBeGreaterThan(1);
  });
}

test.describe('at a phone\'s width', () => {
  test.use({ viewport: { width: 375, height: 812 } });

  test('words stay whole, the list stays on the screen, margins stay inside the frames', async ({ page }) => {
    await page.locator('#VitessesCachees summary').click();
    const list = await openList(page, long);
    const seen = await list.evaluate(async (box) => {
      // A word cut at the end of a line is drawn in boxes on two lines.
      const cut = [];
      const walker = document.createTreeWalker(document.querySelector('main'), NodeFilter.SHOW_TEXT);
      for (let node = walker.nextNode(); node; node = walker.nextNode()) {
        if (box.contains(node) || !node.parentElement.checkVisibility()) continue;
        for (const word of node.data.matchAll(/\S+/g)) {
          const range = document.createRange();
          range.setStart(node, word.index);
          range.setEnd(node, word.index + word[0].length);
          if (new Set([...range.getClientRects()].filter((r) => r.width).map((r) => Math.round(r.bottom))).size > 1) cut.push(word[0]);
        }
      }
      box.scrollLeft = box.scrollWidth;
      await new Promise((done) => requestAnimationFrame(() => setTimeout(done)));
      const inner = (el) => el.getBoundingClientRect().left + el.clientLeft + el.clientWidth;
      const rightmost = (els) => Math.max(...[...els].map((el) => el.getBoundingClientRect().right));
      return {
        cut,
        listOnScreen: box.getBoundingClientRect().right <= innerWidth,
        listMargin: inner(box) - rightmost(box.querySelectorAll('.derive')) >= 4,
        tables: [...document.querySelectorAll('.defile')].map((scroller) => scroller.scrollWidth === scroller.clientWidth
          && inner(scroller.closest('fieldset')) - rightmost(scroller.querySelectorAll('input')) >= 4),
      };
    });
    expect(seen).toEqual({ cut: [], listOnScreen: true, listMargin: true, tables: [true, true] });
  });
});

// Each key moves the selection to its line, laid out, in sight, alone selected
// and named by aria-activedescendant; Enter then applies the line as the window does.
test('the keys reach any of 1,512 lines, keep it in sight, and End then Enter applies the last', async ({ page }) => {
  const list = await openList(page, long);
  await list.focus();
  const rows = await list.evaluate((l) => Math.floor(l.clientHeight / l.querySelector('[role="option"]').offsetHeight) - 1);
  for (const [key, index] of [['End', 1511], ['PageUp', 1511 - rows], ['Home', 0], ['PageDown', rows],
    ['ArrowDown', rows + 1], ['ArrowUp', rows], ['End', 1511]]) {
    await page.keyboard.press(key);
    const seen = await list.evaluate((l) => {
      const option = document.getElementById(l.getAttribute('aria-activedescendant'));
      const [box, view] = [option.getBoundingClientRect(), l.getBoundingClientRect()];
      return { selected: [...l.querySelectorAll('[aria-selected="true"]')].map((o) => o.id),
        inSight: box.top >= view.top && box.bottom <= view.top + l.clientTop + l.clientHeight + 0.5 };
    });
    expect(seen, key).toEqual({ selected: [`ligne-${index}`], inSight: true });
  }
  // Scrolled away by hand, the selected line stays in the page, where it was.
  await list.evaluate(async (l) => { l.scrollTop = 0; await new Promise((done) => requestAnimationFrame(() => setTimeout(done))); });
  expect(await list.evaluate((l) => [l.scrollTop, document.querySelectorAll('#ligne-1511[aria-selected="true"]').length]))
    .toEqual([0, 1]);
  await page.keyboard.press('Enter');
  await expect(list).toBeHidden();
  const want = expected['la dernière des 1512 lignes'].controls;
  for (const name of ['EditPeriodeTimer', 'EditV1AD', 'EditV1De', 'EditErreur', 'EditVmax', 'EditPeriodeMax'])
    await expect(page.locator(`#${name}`), name).toHaveValue(want[name][0]);
});
