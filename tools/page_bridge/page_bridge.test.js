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

test('after onPluginReady the page sends SetParams, then OnPageLoaded', async (t) => {
  const s = await openSession({
    dll: process.env.KX_PLUGIN_DLL, launcher: SOME_FILE,
    query: { gameUpdateUrl: UPDATE_URL, extParam: 'srv7' },
  });
  t.after(() => s.close());
  await until(s, () => document.getElementById('status').textContent === '游戏插件已就绪');
  assert.equal(await s.page.evaluate(() => kxGame.isRunning()), true);
  assert.equal(await s.page.$eval('#notice', (e) => e.classList.contains('shown')), false);
  assert.deepEqual(invokes(s), [
    ['IsPluginReady', 'b:true'],
    ['SetParams', 'void'],
    ['OnScriptMessage', 'void'],
    ['OnScriptMessage', 'void'],
  ]);
  const args = s.browser.linesOf('invoke').map((f) => f.slice(4));
  assert.deepEqual(args.slice(1), [
    [`s:gameUpdateUrl=${UPDATE_URL},extParam=srv7`],
    ['s:eventType:OnPageLoaded'],
    ['s:eventType:OnExtFunc,subType:GetJsVersionDone,hversion:1,midversion:0,lowversion:0,exploreInfo:Chromium'],
  ]);
  assert.deepEqual(s.browser.linesOf('get'), [['p1', 'IsRunning', 'true', 'b:true']]);
  assert.deepEqual(s.pageErrors, []);
});
