'use strict';
// One run of the sample page: a Wine prefix of its own (copied from the run's
// template), the test browser on a plug-in DLL, the bridge, and headless
// Chromium with a fresh profile. close() ends what it started.
const { spawn, spawnSync } = require('node:child_process');
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

// The stand-in launcher, signed by the test PKI whose root this prefix trusts,
// as the system folder's KXLaunch.exe; its script and log in the run folder.
// ${GAME} in its script stands for the folder of the stand-in game client.
function installChain(session, chain) {
  const { runDir, system32, env } = session;
  const pki = path.join(runDir, 'pki');
  const made = spawnSync('bash', [path.join(REPO, 'tests/signing/make-pki.sh'), pki,
    path.resolve(chain.launcher), path.resolve(process.env.KX_TRUST_ROOT)], { env: { ...process.env, KX_WINE_DIR: runDir }, encoding: 'utf8' });
  if (made.status !== 0) throw new Error(`test PKI: ${made.stderr}`);
  fs.copyFileSync(path.join(pki, 'corvane.exe'), path.join(system32, 'KXLaunch.exe'));
  const gameDir = path.join(runDir, 'game');
  fs.mkdirSync(gameDir);
  fs.copyFileSync(chain.game, path.join(gameDir, 'kxmain.exe'));
  fs.writeFileSync(path.join(gameDir, 'kxmain.script'), chain.gameScript || '');
  // The variable holds the script itself, its commands joined by ";".
  env.KX_LAUNCHER_STANDIN_SCRIPT = chain.launcherScript.split('${GAME}').join(winePath(gameDir))
    .split('\n').filter(Boolean).join(';');
  env.KX_LAUNCHER_STANDIN_LOG = winePath(path.join(runDir, 'launcher.log'));
  session.logs = {
    launcher: path.join(runDir, 'launcher.log'),
    game: path.join(gameDir, 'kxmain.log'),
  };
}

// Polls a condition outside the page (a log line, a file) until it holds.
async function pollUntil(fn, timeoutMs = 30000, what = 'condition') {
  const end = Date.now() + timeoutMs;
  for (;;) {
    const value = fn();
    if (value) return value;
    if (Date.now() > end) throw new Error(`timed out waiting for ${what}`);
    await new Promise((r) => setTimeout(r, 50));
  }
}

// Lines of a stand-in's log (none yet: empty).
function readLog(file) {
  return fs.existsSync(file) ? fs.readFileSync(file, 'utf8').split(/\r?\n/).filter(Boolean) : [];
}

// options: dll (plug-in path), launcher (a file to put in the system folder as
// KXLaunch.exe, or none), chain ({launcher, game, launcherScript, gameScript}:
// signed stand-ins instead), query (extra page parameters), viewport,
// beforeLoad(page).
// The real chain (real_chain.py): its JSON line once it is up.
function startRealChain(session, real) {
  const child = spawn('python3', [path.join(__dirname, 'real_chain.py'), '--work', real.work,
    '--size-mb', String(real.sizeMb || 8)], { stdio: ['pipe', 'pipe', 'pipe'] });
  session.realChain = child;
  session.realChainErr = '';
  child.stderr.setEncoding('utf8');
  child.stderr.on('data', (d) => { session.realChainErr += d; });
  return new Promise((resolve, reject) => {
    let out = '';
    child.stdout.setEncoding('utf8');
    child.stdout.on('data', (d) => {
      out += d;
      if (out.includes('\n')) resolve(JSON.parse(out.slice(0, out.indexOf('\n'))));
    });
    child.on('exit', (code) => reject(new Error(`real chain ended (${code}): ${session.realChainErr}`)));
  });
}

async function openSession(options) {
  const template = path.join(wineDir(), 'template');
  if (!fs.existsSync(path.join(template, '.kx-ready'))) throw new Error(`no Wine template at ${template}`);
  const runDir = fs.mkdtempSync(path.join(wineDir(), 'page-'));
  const session = { runDir, consoleLines: [], pageErrors: [] };
  session.close = () => closeSession(session);
  let query = options.query;
  if (options.real) {
    try {
      const info = await startRealChain(session, options.real);
      session.env = { ...process.env, ...info.env };
      session.logs = { game: info.gameLog };
      query = { gameUpdateUrl: info.gameUpdateUrl, extParam: info.extParam, ...query };
    } catch (e) {
      await closeSession(session);
      throw e;
    }
  } else {
    const prefix = path.join(runDir, 'prefix');
    const copied = spawnSync('cp', ['-a', template, prefix]);
    if (copied.status !== 0) throw new Error(`copying the Wine template failed: ${copied.stderr}`);
    session.prefix = prefix;
    session.ownPrefix = true;
    session.env = {
      ...process.env, WINEPREFIX: prefix, WINEDEBUG: '-all', WINEDLLOVERRIDES: 'mscoree=d;mshtml=d',
    };
    session.system32 = path.join(prefix, 'drive_c/windows/system32');
    if (options.launcher) fs.copyFileSync(options.launcher, path.join(session.system32, 'KXLaunch.exe'));
  }
  const { env } = session;
  try {
    if (options.chain) installChain(session, options.chain);
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
    await page.goto(session.bridge.pageUrl(query), { waitUntil: 'load' });
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
  if (s.realChain && s.realChain.exitCode === null) {
    const ended = new Promise((resolve) => s.realChain.on('exit', resolve));
    s.realChain.stdin.end();
    await ended;
  }
  if (s.ownPrefix) spawnSync(WINESERVER, ['-k'], { env: s.env });
  if (!s.keep) fs.rmSync(s.runDir, { recursive: true, force: true });
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

// Starts the message-box answerer inside the session's prefix: it waits for a
// box of the test browser's process with |caption| and presses |press|.
function answerBox(session, caption, press, timeoutMs = 20000) {
  const pid = session.browser.lines.find((f) => f[0] === 'loaded')[5];
  const child = spawn(WINE, [winePath(process.env.KX_BOX_ANSWERER),
    '--timeout-ms', String(timeoutMs), '--pid', pid, '--caption', caption, '--press', press],
  { env: session.env, stdio: ['ignore', 'pipe', 'pipe'] });
  let out = '';
  child.stdout.setEncoding('utf8');
  child.stdout.on('data', (d) => { out += d; });
  return new Promise((resolve) => child.on('exit', (code) => resolve({ code, out })));
}

module.exports = { openSession, until, pollUntil, shotsDir, readLog, answerBox, winePath, CHROMIUM_FLAGS, REPO };
