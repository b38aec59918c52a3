// The browser tests: Debian's chromium, headless, against the built site
// served from 127.0.0.1 by Python's http.server. No browser is downloaded.
import { defineConfig } from '@playwright/test';

const port = Number(process.env.KORVAL_WEB_TEST_PORT || 8025);
export default defineConfig({
  testDir: 'tests',
  testMatch: '*.test.mjs',
  timeout: 60000,
  workers: 1,
  reporter: [['list']],
  use: {
    baseURL: `http://127.0.0.1:${port}/`,
    browserName: 'chromium',
    headless: true,
    acceptDownloads: true,
    launchOptions: { executablePath: process.env.KORVAL_CHROMIUM || '/usr/bin/chromium' },
  },
  webServer: {
    command: `python3 -m http.server --bind 127.0.0.1 --directory ${process.env.KORVAL_SITE || '../build-web/site'} ${port}`,
    url: `http://127.0.0.1:${port}/`,
    reuseExistingServer: false,
    stdout: 'ignore',
    stderr: 'ignore',
  },
});
