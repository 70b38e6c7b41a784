'use strict';
// The sample page in headless Chromium with a scripted plug-in object behind
// the bridge: what the page shows for each page call, and which page events
// its buttons send. Page calls are navigated to as javascript: URLs.
const test = require('node:test');
const assert = require('node:assert/strict');
const { EventEmitter } = require('node:events');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const puppeteer = require('puppeteer-core');
const { PageBridge } = require('./bridge.js');
const { CHROMIUM_FLAGS, REPO, shotsDir } = require('./session.js');

// Answers the bridge's commands as a loaded plug-in would, and records them.
class ScriptedBrowser extends EventEmitter {
  constructor({ launcherPresent = true } = {}) {
    super();
    this.launcherPresent = launcherPresent;
    this.sent = [];
  }
  async request(fields) {
    this.sent.push(fields);
    const [cmd, I, name] = fields;
    if (cmd === 'new') return ['new', '0', I, '0'];
    if (cmd === 'invoke') {
      const result = name === 'IsPluginReady' ? `b:${this.launcherPresent}` : 'void';
      return ['invoke', '0', I, name, 'true', result];
    }
    if (cmd === 'get') return ['get', '0', I, name, 'true', 'b:true'];
    return [cmd, '0', I];
  }
  pageCall(url) { this.emit('line', ['pageurl', '0', 'p1', '_self', url]); }
  messages() {
    return this.sent.filter((f) => f[0] === 'invoke' && f[2] === 'OnScriptMessage').map((f) => f[3]);
  }
}

let chrome;
let profile;
test.before(async () => {
  profile = fs.mkdtempSync(path.join(os.tmpdir(), 'kx-page-'));
  chrome = await puppeteer.launch({
    executablePath: process.env.KX_CHROMIUM || '/usr/bin/chromium', userDataDir: profile, args: CHROMIUM_FLAGS,
  });
});
test.after(async () => {
  await chrome.close();
  fs.rmSync(profile, { recursive: true, force: true });
});

async function openPage(t, options = {}) {
  const browser = new ScriptedBrowser(options);
  const bridge = await new PageBridge({ browser, webRoot: path.join(REPO, 'web') }).listen();
  const page = await chrome.newPage();
  await page.setViewport({ width: 1300, height: 760 });
  const errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  bridge.attach(page);
  t.after(async () => { await page.close(); await bridge.close(); });
  await page.goto(options.url ? options.url(bridge) : bridge.pageUrl({ gameUpdateUrl: 'http://127.0.0.1:9/p.txt' }));
  const text = (sel) => page.$eval(sel, (e) => e.textContent);
  // Plays page calls in order and waits until the page has run them all.
  const calls = async (...urls) => {
    for (const u of urls) browser.pageCall(u);
    await bridge.settle();
  };
  return { browser, bridge, page, errors, text, calls };
}

test('the page shows progress, status, speed, unzip counts and the game area as the plug-in reports them', async (t) => {
  const p = await openPage(t);
  await p.calls('javascript:onPluginReady()');
  assert.equal(await p.text('#status'), '游戏插件已就绪');
  assert.deepEqual(p.browser.messages().slice(0, 1), ['s:eventType:OnPageLoaded']);

  const steps = [
    [["javascript:OnGameInitProgress('28')",
      "javascript:invokeFunc('commonCmdHandler','cmd:com_progress_status,status:4')",
      "javascript:invokeFunc('commonCmdHandler','cmd:com_down_speed,downloadSpeed:524288,curBytesRead:1048576,totalBytes:4194304')"],
    { '#progress-text': '28%', '#status': '正在下载游戏资源…', '#speed': '下载速度：512.0 KB/秒（1.0 MB / 4.0 MB）', '#unzip': '',
      '#summary': '28% · 正在下载游戏资源…' },
    'download'],
    [["javascript:OnGameInitProgress('61')",
      "javascript:invokeFunc('commonCmdHandler','cmd:com_progress_status,status:5')",
      "javascript:invokeFunc('commonCmdHandler','cmd:com_unzip_progress,curFiles:120,totalFiles:300')"],
    { '#progress-text': '61%', '#status': '正在解压游戏资源…', '#speed': '', '#unzip': '正在解压：120 / 300 个文件',
      '#summary': '61% · 正在解压游戏资源…' },
    'unpack'],
    [["javascript:OnGameInitProgress('100')",
      "javascript:invokeFunc('commonCmdHandler','cmd:com_progress_status,status:10')",
      "javascript:showDiv('0','1')"],
    { '#progress-text': '100%', '#status': '游戏已就绪', '#speed': '', '#unzip': '', '#summary': '100% · 游戏已就绪' },
    'game-ready'],
  ];
  for (const [urls, expected, shot] of steps) {
    await p.calls(...urls);
    for (const [sel, value] of Object.entries(expected)) assert.equal(await p.text(sel), value, `${shot} ${sel}`);
    await p.page.screenshot({ path: path.join(shotsDir(), `preview-${shot}.png`) });
  }
  assert.equal(await p.page.$eval('#progress-fill', (e) => e.style.width), '100%');
  assert.equal(await p.page.$eval('#game-area', (e) => e.classList.contains('shown')), true);
  assert.equal(await p.page.$eval('#loader', (e) => e.classList.contains('hidden')), true);

  // A main-area width from the game, within bounds; others are ignored.
  const widths = [["javascript:OnChangeGamemainSize('1280')", '1280px'], ["javascript:OnChangeGamemainSize('319')", '1280px'],
    ["javascript:OnChangeGamemainSize('320')", '320px'], ["javascript:OnChangeGamemainSize('x')", '320px'],
    ["javascript:OnChangeGamemainSize('4096')", '4096px'], ["javascript:OnChangeGamemainSize('4097')", '4096px'],
    ["javascript:OnChangeGamemainSize('960')", '960px']];
  for (const [url, width] of widths) {
    await p.calls(url);
    assert.equal(await p.page.$eval('#stage', (e) => e.style.width), width, url);
  }

  await p.calls('javascript:OnActiveXQuit()');
  assert.equal(await p.text('#status'), '游戏已退出');
  assert.equal(await p.page.$eval('#game-area', (e) => e.classList.contains('shown')), false);
  assert.deepEqual(p.errors, []);
});

test('the login and repair buttons send their page events', async (t) => {
  const p = await openPage(t);
  await p.calls('javascript:onPluginReady()');
  const before = p.browser.messages().length;
  await p.page.click('#login-button');
  await p.page.click('#repair-button');
  await p.page.click('#clear-patch-choice');
  await p.page.click('#repair-button');
  assert.deepEqual(p.browser.messages().slice(before), [
    's:eventType:OnLogin,code:code1,clientType:2',
    's:eventType:OnClientRepair,openClearPatch:0',
    's:eventType:OnClientRepair,openClearPatch:1',
  ]);
  assert.equal(await p.text('#account'), '玩家1');
});

test('SDK calls from the game open the stand-in SDK and answer with events', async (t) => {
  const p = await openPage(t);
  await p.calls('javascript:onPluginReady()');
  const before = p.browser.messages().length;
  await p.calls("javascript:initWebSDK('G17','3')", 'javascript:login()');
  assert.equal(await p.text('#sdk-title'), '登录');
  await p.page.click('#sdk-ok');
  await p.calls("javascript:showPayDialog('{\"item\":\"gem\"}')");
  assert.equal(await p.text('#sdk-text'), '订单内容：{"item":"gem"}');
  await p.page.click('#sdk-cancel');
  await p.calls("javascript:invokeFunc('setRoleInfo','1:8801,2:Anna,3:45,5:North,')");
  assert.deepEqual(p.browser.messages().slice(before), [
    's:eventType:OnSDKScriptInit,result:1',
    's:eventType:OnLogin,code:code1,clientType:2',
    's:eventType:OnExtFunc,subType:PayCloseDone',
  ]);
  assert.equal(await p.text('#account'), 'Anna（North · 45级）');
});

test('texts from the game are shown as text, never as markup', async (t) => {
  const p = await openPage(t);
  // As the plug-in escapes them: \' \\ \n and <\/ inside the quoted argument.
  await p.calls("javascript:invokeFunc('commonCmdHandler','<img src=x onerror=\"window.pwned=1\">\\'q\\' <\\/script> a\\\\b\\n2')");
  assert.equal(await p.text('#messages li:last-child'), '<img src=x onerror="window.pwned=1">\'q\' </script> a\\b\n2');
  assert.equal(await p.page.$$eval('#messages img', (e) => e.length), 0);
  assert.equal(await p.page.evaluate(() => window.pwned), undefined);
  assert.deepEqual(p.errors, []);
});

test('failures a user can meet have clear texts', async (t) => {
  const cases = [
    [{ launcherPresent: false }, '游戏启动器（KXLaunch.exe）未安装或已损坏，请重新安装Vantorra游戏插件。', true],
    // Without NPAPI and without a bridge on this machine there is no plug-in.
    [{ url: (b) => `${b.origin}/index.html` }, '未检测到Vantorra游戏插件，请安装插件后刷新本页面。', false],
    [{ url: (b) => `${b.origin}/index.html?bridge=${encodeURIComponent('http://evil.example:80/kx')}` },
      '未检测到Vantorra游戏插件，请安装插件后刷新本页面。', false],
  ];
  for (const [options, notice, pluginReadyCall] of cases) {
    const p = await openPage(t, options);
    if (pluginReadyCall) await p.calls('javascript:onPluginReady()');
    assert.equal(await p.text('#notice'), notice);
    assert.deepEqual(p.browser.messages(), []);
  }
});
