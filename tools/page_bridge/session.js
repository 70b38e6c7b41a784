'use strict';
// One run of the sample page: a Wine prefix of its own (copied from the run's
// template), the test browser on a plug-in DLL, the bridge, and headless
// Chromium with a fresh profile. close() ends what it started.
const { spawnSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const puppeteer = require('puppeteer-core');
const { TestBrowser, PageBridge, winePath } = require('./bridge.js');

const REPO = path.resolve(__dirname, '../..');
const WINE = '/usr/lib/wine/wine64';
const WINESERVER = fs.existsSync('/usr/lib/wine/wineserver64') ? '/usr/lib/wine/wineserver64' : '/usr/lib/wine/wineserver';
const CHROMIUM_FLAGS = ['--headless=new', '--no-sandbox', '--disable-dev-shm-usage'];

function wineDir() {
  return process.env.KX_WINE_DIR || path.join(REPO, 'build/win64/wine');
}

// options: dll (plug-in path), launcher (a file to put in the system folder as
// KXLaunch.exe, or none), query (extra page parameters), viewport.
async function openSession(options) {
  const template = path.join(wineDir(), 'template');
  if (!fs.existsSync(path.join(template, '.kx-ready'))) throw new Error(`no Wine template at ${template}`);
  const runDir = fs.mkdtempSync(path.join(wineDir(), 'page-'));
  const prefix = path.join(runDir, 'prefix');
  const copied = spawnSync('cp', ['-a', template, prefix]);
  if (copied.status !== 0) throw new Error(`copying the Wine template failed: ${copied.stderr}`);
  const env = {
    ...process.env, WINEPREFIX: prefix, WINEDEBUG: '-all', WINEDLLOVERRIDES: 'mscoree=d;mshtml=d',
  };
  const system32 = path.join(prefix, 'drive_c/windows/system32');
  if (options.launcher) fs.copyFileSync(options.launcher, path.join(system32, 'KXLaunch.exe'));

  const session = { runDir, prefix, env, system32, consoleLines: [], pageErrors: [] };
  session.close = () => closeSession(session);
  try {
    session.browser = new TestBrowser({
      command: WINE,
      args: [winePath(process.env.KX_TEST_BROWSER), winePath(options.dll), '--page-urls'],
      env,
    });
    await session.browser.start();
    session.bridge = await new PageBridge({ browser: session.browser, webRoot: path.join(REPO, 'web') }).listen();
    session.chrome = await puppeteer.launch({
      executablePath: process.env.KX_CHROMIUM || '/usr/bin/chromium',
      userDataDir: path.join(runDir, 'profile'),
      args: CHROMIUM_FLAGS,
    });
    const page = await session.chrome.newPage();
    session.page = page;
    await page.setViewport(options.viewport || { width: 1300, height: 760 });
    page.on('console', (m) => session.consoleLines.push(m.text()));
    page.on('pageerror', (e) => session.pageErrors.push(e.message));
    await (options.beforeLoad ? options.beforeLoad(page) : null);
    session.bridge.attach(page);
    await page.goto(session.bridge.pageUrl(options.query), { waitUntil: 'load' });
    return session;
  } catch (e) {
    await closeSession(session);
    throw e;
  }
}

async function closeSession(s) {
  if (s.closed) return;
  s.closed = true;
  if (s.chrome) await s.chrome.close().catch(() => {});
  if (s.browser) {
    const quit = s.browser.quit();
    const timer = setTimeout(() => s.browser.kill(), 30000);
    s.exitCode = await quit.catch(() => null);
    clearTimeout(timer);
  }
  if (s.bridge) await s.bridge.close();
  spawnSync(WINESERVER, ['-k'], { env: s.env });
  fs.rmSync(s.runDir, { recursive: true, force: true });
}

// Waits until the page shows a condition (no fixed sleeps); fn runs in the page.
function until(session, fn, arg, timeout = 30000) {
  return session.page.waitForFunction(fn, { timeout, polling: 50 }, arg);
}

function shotsDir() {
  const dir = process.env.KX_SHOTS_DIR || path.join(REPO, 'build/page');
  fs.mkdirSync(dir, { recursive: true });
  return dir;
}

module.exports = { openSession, until, shotsDir, CHROMIUM_FLAGS, REPO };
