'use strict';
// node --test web/: the page library without a browser.
const test = require('node:test');
const assert = require('node:assert/strict');
const Kx = require('./kx-plugin.js');

const { events, KxValueError } = Kx;

test('event builders write eventType first and the fields in their order', () => {
  const cases = [
    [events.OnPageLoaded(), 'eventType:OnPageLoaded'],
    [events.OnSDKScriptInit('1'), 'eventType:OnSDKScriptInit,result:1'],
    [events.OnLogin('abc', 2), 'eventType:OnLogin,code:abc,clientType:2'],
    [events.OnLogout('u77'), 'eventType:OnLogout,userId:u77'],
    [events.OnSDKDialogClose(), 'eventType:OnSDKDialogClose'],
    [events.OnPay('1', 'o42'), 'eventType:OnPay,status:1,orderId:o42'],
    // An absent field is left out; the plug-in reads it as an empty text.
    [events.OnPay('1'), 'eventType:OnPay,status:1'],
    [events.OnPay('1', ''), 'eventType:OnPay,status:1'],
    [events.OnClientInfo('t1', 'd2', 'u3'), 'eventType:OnClientInfo,token:t1,deviceId:d2,userId:u3'],
    [events.OnClientRepair(true), 'eventType:OnClientRepair,openClearPatch:1'],
    [events.OnClientRepair(false), 'eventType:OnClientRepair,openClearPatch:0'],
    [events.OnClientRepair('1'), 'eventType:OnClientRepair,openClearPatch:1'],
    [events.OnClientRepair(1), 'eventType:OnClientRepair,openClearPatch:1'],
    [events.OnClientRepair('0'), 'eventType:OnClientRepair,openClearPatch:0'],
    [events.OnClientRepair('true'), 'eventType:OnClientRepair,openClearPatch:0'],
    [events.OnClientRepair(), 'eventType:OnClientRepair,openClearPatch:0'],
    [events.OnClickChatBtn(), 'eventType:OnClickChatBtn'],
    [events.PayCloseDone(), 'eventType:OnExtFunc,subType:PayCloseDone'],
    [events.GetJsVersionDone(1, 19, 0, 'Chromium'),
      'eventType:OnExtFunc,subType:GetJsVersionDone,hversion:1,midversion:19,lowversion:0,exploreInfo:Chromium'],
    [events.OnLogin('码=1', '2'), 'eventType:OnLogin,code:码=1,clientType:2'],
  ];
  for (const [text, expected] of cases) assert.equal(text, expected);
});

test('event builders refuse values the plug-in would cut apart or cut short', () => {
  const cases = [
    () => events.OnLogin('a,b', '2'),
    () => events.OnLogin('abc', ':'),
    () => events.OnLogin(',', '2'),
    () => events.OnLogout('u\0x'),
    () => events.OnPay({}, '1'),
    () => events.OnPay(NaN, '1'),
    () => events.GetJsVersionDone(1, 2, 3, 'Mozilla/5.0 (X11, Linux)'),
    () => Kx.buildEventText('On:Pay', {}),
    () => Kx.buildEventText('', {}),
    () => Kx.buildEventText('OnPay', { 'order:Id': '1' }),
    () => Kx.buildEventText('OnPay', { eventType: 'OnLogin' }),
  ];
  for (const build of cases) assert.throws(build, KxValueError, build.toString());
});

test('pairs are read as the plug-in reads them', () => {
  const cases = [
    ['eventType:OnLogin,code:abc,clientType:2', [['eventType', 'OnLogin'], ['code', 'abc'], ['clientType', '2']]],
    [',,cmd:x,,', [['cmd', 'x']]],
    ['a::b', [['a', 'b']]],
    ['a:b:c,d:,:e,f', []],
    ['k:1,k:2', [['k', '1']]],
    ['', []],
  ];
  for (const [text, pairs] of cases) assert.deepEqual([...Kx.parsePairs(text)], pairs, text);
});

test('every built event reads back as its fields', () => {
  const text = events.OnClientInfo('tök', 'dev 1', 'u"3\'');
  assert.deepEqual(Object.fromEntries(Kx.parsePairs(text)),
    { eventType: 'OnClientInfo', token: 'tök', deviceId: 'dev 1', userId: 'u"3\'' });
});

test('SetParams text', () => {
  const cases = [
    [{ gameUpdateUrl: 'http://127.0.0.1:8080/kx/patch.txt' }, 'gameUpdateUrl=http://127.0.0.1:8080/kx/patch.txt'],
    [{ gameUpdateUrl: 'U', extParam: 'p1;p2' }, 'gameUpdateUrl=U,extParam=p1;p2'],
    [{ gameUpdateUrl: 'U', extParam: '' }, 'gameUpdateUrl=U,extParam='],
  ];
  for (const [params, expected] of cases) assert.equal(Kx.buildParamsText(params), expected);
  const refused = [
    {}, { gameUpdateUrl: '' }, { gameUpdateUrl: 'http://h/p?a=1' }, { gameUpdateUrl: 'http://h/a b' },
    { gameUpdateUrl: 'U', extParam: 'a,b' }, { gameUpdateUrl: 'U', extParam: 'a\tb' },
    { gameUpdateUrl: 'U\0' },
  ];
  for (const params of refused) assert.throws(() => Kx.buildParamsText(params), KxValueError, JSON.stringify(params));
});

test('role information by field number, absent numbers empty', () => {
  const role = Kx.parseRoleInfo('1:99,10:7,2:Anna,');
  assert.equal(role.role_id, '99');
  assert.equal(role.score, '7');
  assert.equal(role.cName, 'Anna');
  assert.equal(role.cRegionName, '');
  assert.equal(Object.keys(role).length, 15);
});

// A scriptable object that records what the page calls.
class FakePlugin {
  constructor(ready = true) { this.calls = []; this.ready = ready; }
  get IsRunning() { return true; }
  IsPluginReady() { this.calls.push(['IsPluginReady']); return this.ready; }
  SetParams(t) { this.calls.push(['SetParams', t]); }
  OnScriptMessage(t) { this.calls.push(['OnScriptMessage', t]); }
  ReDraw() { this.calls.push(['ReDraw']); }
}

function setUp(ready = true) {
  const plugin = new FakePlugin(ready);
  const game = new Kx.KxGame({ plugin, params: { gameUpdateUrl: 'U', extParam: 'E' } });
  const seen = [];
  const types = ['pluginmissing', 'launchermissing', 'ready', 'activexready', 'activexquit', 'progress',
    'resolution', 'gamesize', 'showgame', 'status', 'downloadspeed', 'unzipprogress', 'command',
    'roleinfo', 'sdk', 'invoke'];
  for (const t of types) game.addEventListener(t, (e) => seen.push([t, e.detail]));
  const page = {};
  Kx.install(page, game);
  return { plugin, game, seen, page };
}

test('onPluginReady sends SetParams, then OnPageLoaded', () => {
  const { plugin, seen, page } = setUp();
  page.onPluginReady();
  assert.deepEqual(plugin.calls, [
    ['IsPluginReady'], ['SetParams', 'gameUpdateUrl=U,extParam=E'],
    ['OnScriptMessage', 'eventType:OnPageLoaded'],
  ]);
  assert.deepEqual(seen, [['ready', {}]]);
});

test('a missing launcher stops before anything is launched', () => {
  const { plugin, seen, page } = setUp(false);
  page.onPluginReady();
  assert.deepEqual(plugin.calls, [['IsPluginReady']]);
  assert.deepEqual(seen, [['launchermissing', {}]]);
});

test('page calls become events with their values', () => {
  const cases = [
    [['OnGameInitProgress', '42'], ['progress', { percent: 42 }]],
    [['OnGameInitProgress', '100'], ['progress', { percent: 100 }]],
    [['OnGameInitProgress', '101'], ['progress', { percent: 100 }]],
    [['OnGameInitProgress', '-1'], ['progress', { percent: 0 }]],
    [['OnActiveXReady'], ['activexready', {}]],
    [['OnActiveXQuit'], ['activexquit', {}]],
    [['OnSetResolution', '1'], ['resolution', { flag: 1 }]],
    [['OnChangeGamemainSize', '1280'], ['gamesize', { width: 1280 }]],
    [['showDiv', '0', '1'], ['showgame', { visible: true }]],
    [['showDiv', '0', '0'], ['showgame', { visible: false }]],
    [['showDiv', '0', '01'], ['showgame', { visible: false }]],
    [['invokeFunc', 'commonCmdHandler', 'cmd:com_progress_status,status:6'], ['status', { phase: 6 }]],
    [['invokeFunc', 'commonCmdHandler', 'cmd:com_down_speed,downloadSpeed:512,curBytesRead:1024,totalBytes:4096'],
      ['downloadspeed', { downloadSpeed: 512, curBytesRead: 1024, totalBytes: 4096 }]],
    [['invokeFunc', 'commonCmdHandler', 'cmd:com_unzip_progress,curFiles:4294967295,totalFiles:4294967296'],
      ['unzipprogress', { curFiles: 4294967295, totalFiles: 4294967296 }]],
    [['invokeFunc', 'commonCmdHandler', 'cmd:com_down_speed,downloadSpeed:x1'],
      ['downloadspeed', { downloadSpeed: NaN, curBytesRead: NaN, totalBytes: NaN }]],
    [['invokeFunc', 'commonCmdHandler', 'hello \'world\''],
      ['command', { text: 'hello \'world\'', fields: new Map() }]],
    [['invokeFunc', 'setRoleInfo', '2:Anna,'], ['roleinfo', {
      role: { role_id: '', cName: 'Anna', iGrade: '', hostid: '', hostname: '', iIcon: '', cIconName: '',
        iSchool: '', cSchoolName: '', score: '', vip: '', orgId: '', cOrg: '', iRegion: '', cRegionName: '' },
      text: '2:Anna,' }]],
    [['invokeFunc', 'openShop', 'x'], ['invoke', { name: 'openShop', argument: 'x' }]],
    [['invokeFunc'], ['invoke', { name: '', argument: '' }]],
    [['initWebSDK', 'G17', '3'], ['sdk', { name: 'initWebSDK', args: ['G17', '3'] }]],
    [['login'], ['sdk', { name: 'login', args: [] }]],
    [['login', ''], ['sdk', { name: 'login', args: [''] }]],
    [['logout'], ['sdk', { name: 'logout', args: [] }]],
    [['setClientData', 'd'], ['sdk', { name: 'setClientData', args: ['d'] }]],
    [['showUserDialog'], ['sdk', { name: 'showUserDialog', args: [] }]],
    [['showPayDialog', '{"id":1}'], ['sdk', { name: 'showPayDialog', args: ['{"id":1}'] }]],
    [['closePayDialog'], ['sdk', { name: 'closePayDialog', args: [] }]],
  ];
  for (const [[fn, ...args], expected] of cases) {
    const { seen, page } = setUp();
    assert.equal(page[fn](...args), undefined, `${fn} returns nothing`);
    assert.deepEqual(seen, [expected], fn);
  }
});

test('a refused value sends nothing', () => {
  const { plugin, game } = setUp();
  assert.throws(() => game.login('a:b', '2'), KxValueError);
  assert.throws(() => game.pay('1', 'o,1'), KxValueError);
  assert.deepEqual(plugin.calls, []);
  game.repair(true);
  game.login('c', '2');
  game.sdkScriptInit('0');
  game.sdkScriptInit(true);
  assert.deepEqual(plugin.calls, [
    ['OnScriptMessage', 'eventType:OnClientRepair,openClearPatch:1'],
    ['OnScriptMessage', 'eventType:OnLogin,code:c,clientType:2'],
    ['OnScriptMessage', 'eventType:OnSDKScriptInit,result:0'],
    ['OnScriptMessage', 'eventType:OnSDKScriptInit,result:1'],
  ]);
});

// Embedding into a document that has no such plug-in.
function fakeDocument() {
  return { createElement: (tag) => ({ tag }) };
}

test('embedding without a plug-in reports it missing, with a bridge it uses the bridge', (t) => {
  const saved = [globalThis.document, globalThis.XMLHttpRequest];
  globalThis.document = fakeDocument();
  t.after(() => { [globalThis.document, globalThis.XMLHttpRequest] = saved; });
  const container = {
    children: [],
    appendChild(c) { this.children.push(c); c.remove = () => this.children.splice(this.children.indexOf(c), 1); },
  };

  const alone = new Kx.KxGame({ container, params: { gameUpdateUrl: 'U' } });
  const missing = [];
  alone.addEventListener('pluginmissing', () => missing.push('pluginmissing'));
  alone.embed();
  assert.deepEqual(missing, ['pluginmissing']);
  assert.equal(container.children[0].type, 'application/kxnpgameplugin');
  assert.equal(container.children[0].width, '960');
  assert.equal(alone.isRunning(), false);

  const sent = [];
  class FakeXHR {
    open(method, url, async) { this.req = { method, url, async }; }
    setRequestHeader() {}
    send(body) {
      sent.push({ ...this.req, body: JSON.parse(body) });
      this.status = 200;
      this.responseText = JSON.stringify({ ok: true, result: this.req.url.endsWith('/get') ? true : false });
    }
  }
  globalThis.XMLHttpRequest = FakeXHR;
  const bridged = new Kx.KxGame({ container, params: { gameUpdateUrl: 'U' }, bridge: 'http://127.0.0.1:9/kx/' });
  const bridgedMissing = [];
  bridged.addEventListener('pluginmissing', () => bridgedMissing.push('pluginmissing'));
  bridged.embed();
  assert.deepEqual(bridgedMissing, []);
  assert.equal(bridged.bridged, true);
  assert.deepEqual(container.children, [container.children[0]], 'the bridged object is taken out again');
  assert.equal(bridged.isRunning(), true);
  assert.equal(bridged.isPluginReady(), false);
  assert.deepEqual(sent, [
    { method: 'POST', url: 'http://127.0.0.1:9/kx/embed', async: false,
      body: { name: 'application/kxnpgameplugin', args: [] } },
    { method: 'POST', url: 'http://127.0.0.1:9/kx/get', async: false, body: { name: 'IsRunning', args: [] } },
    { method: 'POST', url: 'http://127.0.0.1:9/kx/invoke', async: false, body: { name: 'IsPluginReady', args: [] } },
  ]);
});
