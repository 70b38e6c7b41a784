'use strict';
// The sample page in headless Chromium, driving the plug-in DLL hosted by the
// test browser under wine64 through the page bridge.
const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const { openSession, until, shotsDir } = require('./session.js');

const UPDATE_URL = 'http://127.0.0.1:9/kx/patchlist.txt';

function invokes(session) {
  return session.browser.linesOf('invoke').map((f) => [f[1], f[3]]);
}

// Any file serves: the plug-in only looks for the launcher's presence.
const SOME_FILE = process.env.KX_TEST_BROWSER;

test('without the launcher the page says so and starts nothing', async (t) => {
  const s = await openSession({ dll: process.env.KX_PLUGIN_DLL, query: { gameUpdateUrl: UPDATE_URL } });
  t.after(() => s.close());
  await until(s, () => document.getElementById('notice').textContent !== '');
  assert.equal(await s.page.$eval('#notice', (e) => e.textContent),
    '游戏启动器（KXLaunch.exe）未安装或已损坏，请重新安装Vantorra游戏插件。');
  assert.equal(await s.page.$eval('#status', (e) => e.textContent), '游戏启动器缺失');
  assert.deepEqual(s.bridge.delivered, ['javascript:onPluginReady()']);
  assert.deepEqual(invokes(s), [['IsPluginReady', 'b:false']]);
  await s.page.screenshot({ path: path.join(shotsDir(), 'launcher-missing.png') });
  assert.deepEqual(s.pageErrors, []);
});

// The probe build reports each page event back to the page as
// kxProbe('event', NAME, FIELDS) through the product's page-call code.
async function probeSession(t, query) {
  const s = await openSession({
    dll: process.env.KX_PROBE_DLL, launcher: SOME_FILE, query: { gameUpdateUrl: UPDATE_URL, ...query },
    beforeLoad: (page) => page.evaluateOnNewDocument(() => {
      window.probes = [];
      window.kxProbe = (...args) => { window.probes.push(args); };
    }),
  });
  t.after(() => s.close());
  await until(s, () => window.probes.some((p) => p[1] === 'OnPageLoaded'));
  return s;
}

test('after onPluginReady the page sends SetParams, then OnPageLoaded', async (t) => {
  const s = await probeSession(t, { extParam: 'srv7' });
  await until(s, () => document.getElementById('status').textContent === '游戏插件已就绪');
  assert.equal(await s.page.evaluate(() => kxGame.isRunning()), true);
  assert.equal(await s.page.$eval('#notice', (e) => e.classList.contains('shown')), false);
  assert.deepEqual(s.browser.sentOf('invoke'), [
    ['p1', 'IsPluginReady'],
    ['p1', 'SetParams', `s:gameUpdateUrl=${UPDATE_URL},extParam=srv7`],
    ['p1', 'OnScriptMessage', 's:eventType:OnPageLoaded'],
    ['p1', 'OnScriptMessage',
      's:eventType:OnExtFunc,subType:GetJsVersionDone,hversion:1,midversion:0,lowversion:0,exploreInfo:Chromium'],
  ]);
  assert.deepEqual(invokes(s), [
    ['IsPluginReady', 'b:true'], ['SetParams', 'void'], ['OnScriptMessage', 'void'], ['OnScriptMessage', 'void'],
  ]);
  assert.deepEqual(s.browser.linesOf('get'), [['p1', 'IsRunning', 'true', 'b:true']]);
  // What reached the plug-in's helper, in this order.
  const probes = await s.page.evaluate(() => window.probes.filter((p) => p[0] === 'setParams' || p[0] === 'event'));
  assert.deepEqual(probes, [
    ['setParams', '63', `gameUpdateUrl=${UPDATE_URL},extParam=srv7`],
    ['event', 'OnPageLoaded', 'eventType:OnPageLoaded,'],
  ]);
  assert.deepEqual(s.pageErrors, []);
});

async function loginEcho(s, code, timeout) {
  await s.page.evaluate((c) => kxGame.login(c, '2'), code);
  await s.bridge.settle(timeout);
  return s.page.evaluate(() => window.probes.find((p) => p[1] === 'OnLogin'));
}

test('texts with quotes, backslashes, line breaks, U+2028 and </script> arrive unchanged and run nothing', async (t) => {
  const s = await probeSession(t);
  const code = 'it\'s "q" \\ a\\\\b\\x41\\u0041 \n2\r\n3 \u2028\u2029 </script><img src=x onerror=window.pwned=1> \'+(window.pwned=2)+\' 中文';
  assert.deepEqual(await loginEcho(s, code), ['event', 'OnLogin', `clientType:2,code:${code},eventType:OnLogin,`]);
  assert.equal(await s.page.evaluate(() => window.pwned), undefined);
  assert.deepEqual(s.pageErrors, []);
  assert.equal(s.bridge.deliveryError, undefined);
});

test('texts with "%" escapes and TAB arrive unchanged', async (t) => {
  const s = await probeSession(t);
  // %27 becomes a quote once the browser decodes the URL: the text turns into
  // script, and the call's text result then replaces the whole page.
  const code = '100%41 %27)+(window.pwned=1)+(%27 \tend';
  const echo = await loginEcho(s, code, 5000);
  assert.equal(await s.page.evaluate(() => window.pwned), undefined);
  assert.deepEqual(echo, ['event', 'OnLogin', `clientType:2,code:${code},eventType:OnLogin,`]);
  assert.deepEqual(s.pageErrors, []);
});
