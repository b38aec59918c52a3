// Click in the period field to the visible candidate list, and to its last
// line, in Debian's chromium, headless: factory parameters (293 lines) and
// quartz 20 MHz, turn 55090 s, 180065 steps (1,512 lines). Serves
// build-web/site on 127.0.0.1.
// usage: node bench/list_bench.mjs [runs]   (from web/, after the site is built)
import { chromium } from '@playwright/test';
import { spawn } from 'node:child_process';
import { fileURLToPath } from 'node:url';

const runs = Number(process.argv[2] || 200);
const port = 8026;
const site = process.env.KORVAL_SITE || fileURLToPath(new URL('../../build-web/site', import.meta.url));
const server = spawn('python3', ['-m', 'http.server', '--bind', '127.0.0.1', '--directory', site, String(port)],
  { stdio: 'ignore' });
await new Promise((resolve) => setTimeout(resolve, 800));
const browser = await chromium.launch({ executablePath: process.env.KORVAL_CHROMIUM || '/usr/bin/chromium' });
try {
  const page = await browser.newPage({ viewport: { width: 1280, height: 800 } });
  await page.goto(`http://127.0.0.1:${port}/`);
  await page.locator('body[data-pret="1"]').waitFor();
  for (const [label, typed] of [
    ['factory (293 lines)', []],
    ['1,512 lines', [['EditFrequenceQuartz', '20000000'], ['EditDureeTour', '55090'], ['EditPasParTour', '180065']]],
  ]) {
    for (const [name, text] of typed) await page.locator(`#${name}`).fill(text);
    // In the page: the click's handler (search, lines, list built) and the
    // layout of the shown list, then the next frame; then, apart, the click
    // and End in the same task, to the last line laid out; and a scroll to
    // the middle, to its lines laid out again.
    const times = await page.evaluate(async (count) => {
      const period = document.getElementById('EditPeriodeTimer');
      const list = document.getElementById('ListBoxValeurTimer');
      const end = () => list.dispatchEvent(new KeyboardEvent('keydown', { key: 'End', bubbles: true }));
      const settle = () => new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve)));
      const laidOut = [];
      const framed = [];
      const last = [];
      const scrolled = [];
      let lines = 0;
      for (let i = 0; i < count; ++i) {
        document.getElementById('EditFrequenceQuartz').focus();
        list.hidden = true;
        await settle();
        let start = performance.now();
        period.click();
        list.getBoundingClientRect();
        laidOut.push(performance.now() - start);
        await new Promise((resolve) => requestAnimationFrame(resolve));
        framed.push(performance.now() - start);

        document.getElementById('EditFrequenceQuartz').focus();
        list.hidden = true;
        await settle();
        start = performance.now();
        period.click();
        end();
        lines = Number(list.getAttribute('aria-activedescendant').replace('ligne-', '')) + 1;
        document.getElementById(list.getAttribute('aria-activedescendant')).getBoundingClientRect();
        last.push(performance.now() - start);

        await settle();
        start = performance.now();
        list.scrollTop = list.scrollHeight / 2;
        list.dispatchEvent(new Event('scroll'));
        list.querySelector('.lignes').getBoundingClientRect();
        scrolled.push(performance.now() - start);
      }
      const median = (values) => values.sort((a, b) => a - b)[Math.floor(values.length / 2)];
      return { lines, laidOut: median(laidOut), framed: median(framed), last: median(last),
        scrolled: median(scrolled) };
    }, runs);
    console.log(`${label}: ${times.lines} lines, click to laid-out list ${times.laidOut.toFixed(2)} ms, `
      + `to the next frame ${times.framed.toFixed(2)} ms, to the last line laid out (End) ${times.last.toFixed(2)} ms, `
      + `a scroll to the middle laid out ${times.scrolled.toFixed(2)} ms (median of ${runs})`);
  }
} finally {
  await browser.close();
  server.kill();
}
