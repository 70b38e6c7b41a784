// kx-plugin.js: the page side of the game plug-in.
//
// Embeds the plug-in object, answers the page functions the plug-in calls
// through javascript: URLs, and builds the event texts the page sends back.
// A classic script (defines the global KxPlugin) and a CommonJS module (tests).
//
// Every page function returns undefined: a javascript: URL whose result is a
// string replaces the whole document in a browser.
(function (root, factory) {
  'use strict';
  const api = factory(root);
  if (typeof module === 'object' && module.exports) module.exports = api;
  else root.KxPlugin = api;
})(typeof globalThis !== 'undefined' ? globalThis : this, function (root) {
  'use strict';

  const MIME_TYPE = 'application/kxnpgameplugin';

  // A value the plug-in's parsers would cut apart or cut short.
  class KxValueError extends RangeError {
    constructor(message) {
      super(message);
      this.name = 'KxValueError';
    }
  }

  function textOf(what, value) {
    if (typeof value === 'string') return value;
    if (typeof value === 'number' && Number.isFinite(value)) return String(value);
    if (typeof value === 'boolean') return value ? '1' : '0';
    throw new KxValueError(`${what}: not a text or a number`);
  }

  // The plug-in ends a text at its first NUL, so NUL is refused everywhere.
  function refuse(what, text, forbidden) {
    for (const c of forbidden) {
      if (text.includes(c)) {
        const shown = c === '\0' ? 'NUL' : c === ' ' ? 'a blank' : `"${c}"`;
        throw new KxValueError(`${what} contains ${shown}`);
      }
    }
    return text;
  }

  // Fields of each page event, in the order they are written.
  const EVENT_FIELDS = Object.freeze({
    OnPageLoaded: [],
    OnSDKScriptInit: ['result'],
    OnLogin: ['code', 'clientType'],
    OnLogout: ['userId'],
    OnSDKDialogClose: [],
    OnPay: ['status', 'orderId'],
    OnClientInfo: ['token', 'deviceId', 'userId'],
    OnClientRepair: ['openClearPatch'],
    OnClickChatBtn: [],
    OnExtFunc: ['subType', 'hversion', 'midversion', 'lowversion', 'exploreInfo'],
  });

  const EVENT_FORBIDDEN = [',', ':', '\0'];

  // "eventType:NAME,key:value,...". Fields that are undefined, null or empty are
  // left out: the plug-in reads an absent field as an empty text, and an empty
  // value would make a piece it skips anyway.
  function buildEventText(eventType, fields) {
    const name = refuse('eventType', textOf('eventType', eventType), EVENT_FORBIDDEN);
    if (name === '') throw new KxValueError('eventType is empty');
    const parts = [`eventType:${name}`];
    for (const [key, value] of Object.entries(fields || {})) {
      if (key === 'eventType') throw new KxValueError('eventType given as a field');
      refuse('field name', key, EVENT_FORBIDDEN);
      if (key === '') throw new KxValueError('field name is empty');
      if (value === undefined || value === null) continue;
      const text = refuse(`field ${key}`, textOf(`field ${key}`, value), EVENT_FORBIDDEN);
      if (text !== '') parts.push(`${key}:${text}`);
    }
    return parts.join(',');
  }

  // A yes for flags: true, 1 or "1" only ("0" is a non-empty text, not a yes).
  function isYes(v) {
    return v === true || v === 1 || v === '1';
  }

  // One builder per page event, taking its fields in order.
  const events = Object.freeze({
    OnPageLoaded: () => buildEventText('OnPageLoaded'),
    OnSDKScriptInit: (result) => buildEventText('OnSDKScriptInit', { result }),
    OnLogin: (code, clientType) => buildEventText('OnLogin', { code, clientType }),
    OnLogout: (userId) => buildEventText('OnLogout', { userId }),
    OnSDKDialogClose: () => buildEventText('OnSDKDialogClose'),
    OnPay: (status, orderId) => buildEventText('OnPay', { status, orderId }),
    OnClientInfo: (token, deviceId, userId) =>
      buildEventText('OnClientInfo', { token, deviceId, userId }),
    // The plug-in offers its clear-patch choice only for the exact value "1".
    OnClientRepair: (openClearPatch) =>
      buildEventText('OnClientRepair', { openClearPatch: isYes(openClearPatch) ? '1' : '0' }),
    OnClickChatBtn: () => buildEventText('OnClickChatBtn'),
    PayCloseDone: () => buildEventText('OnExtFunc', { subType: 'PayCloseDone' }),
    GetJsVersionDone: (hversion, midversion, lowversion, exploreInfo) =>
      buildEventText('OnExtFunc', {
        subType: 'GetJsVersionDone', hversion, midversion, lowversion, exploreInfo,
      }),
  });

  // SetParams text. Values end up as fields of the launcher's command line, so
  // besides the separators of the text itself blanks are refused.
  const PARAM_FORBIDDEN = [',', '=', ' ', '\t', '\n', '\r', '\0'];

  function buildParamsText(params) {
    const { gameUpdateUrl, extParam } = params || {};
    if (gameUpdateUrl === undefined || gameUpdateUrl === null || gameUpdateUrl === '')
      throw new KxValueError('gameUpdateUrl is required');
    const parts = [`gameUpdateUrl=${refuse('gameUpdateUrl', textOf('gameUpdateUrl', gameUpdateUrl), PARAM_FORBIDDEN)}`];
    // An explicit empty extParam is sent: it clears a value set before.
    if (extParam !== undefined && extParam !== null)
      parts.push(`extParam=${refuse('extParam', textOf('extParam', extParam), PARAM_FORBIDDEN)}`);
    return parts.join(',');
  }

  // Pairs as the plug-in writes them: items at ",", key and value at ":", empty
  // pieces skipped, items that are not exactly two pieces ignored, first value wins.
  function parsePairs(text) {
    const map = new Map();
    for (const item of String(text).split(',')) {
      const pieces = item.split(':').filter((p) => p !== '');
      if (pieces.length !== 2) continue;
      if (!map.has(pieces[0])) map.set(pieces[0], pieces[1]);
    }
    return map;
  }

  // Decimal text to a number; anything else is NaN.
  function decimal(text) {
    return /^-?\d+$/.test(String(text)) ? Number(text) : NaN;
  }

  function clampPercent(n) {
    return Number.isNaN(n) ? NaN : Math.min(100, Math.max(0, n));
  }

  // Role fields of setRoleInfo, by their numbers.
  const ROLE_FIELDS = Object.freeze({
    1: 'role_id', 2: 'cName', 3: 'iGrade', 4: 'hostid', 5: 'hostname', 6: 'iIcon',
    7: 'cIconName', 8: 'iSchool', 9: 'cSchoolName', 10: 'score', 11: 'vip', 12: 'orgId',
    13: 'cOrg', 14: 'iRegion', 15: 'cRegionName',
  });

  // "1:99,10:7,2:Anna," to {role_id: '99', score: '7', cName: 'Anna', ...};
  // absent numbers read as empty texts.
  function parseRoleInfo(text) {
    const pairs = parsePairs(text);
    const role = {};
    for (const [number, name] of Object.entries(ROLE_FIELDS))
      role[name] = pairs.has(number) ? pairs.get(number) : '';
    return role;
  }

  // The SDK functions the plug-in calls; the page's own web SDK does the work.
  const SDK_FUNCTIONS = Object.freeze([
    'initWebSDK', 'login', 'logout', 'setClientData', 'showUserDialog', 'showPayDialog',
    'closePayDialog',
  ]);

  // The plug-in object of a page without NPAPI, reached through the page bridge
  // on 127.0.0.1. Script calls must answer at once, as they do on a real plug-in.
  class BridgePlugin {
    constructor(base, XHR) {
      this.base = base.replace(/\/$/, '');
      this.XHR = XHR || root.XMLHttpRequest;
    }
    call(kind, name, args) {
      const xhr = new this.XHR();
      xhr.open('POST', `${this.base}/${kind}`, false);
      xhr.setRequestHeader('Content-Type', 'application/json');
      xhr.send(JSON.stringify({ name, args: args || [] }));
      if (xhr.status !== 200) throw new Error(`bridge ${kind} ${name}: ${xhr.status}`);
      const answer = JSON.parse(xhr.responseText);
      if (!answer.ok) throw new TypeError(`${name}: ${answer.error || 'failed'}`);
      return answer.result;
    }
    // The bridge creates the plug-in instance and gives it its window.
    embed(mimeType) {
      try { this.call('embed', mimeType, []); return true; } catch (e) { return false; }
    }
    SetParams(text) { this.call('invoke', 'SetParams', [String(text)]); }
    OnScriptMessage(text) { this.call('invoke', 'OnScriptMessage', [String(text)]); }
    ReDraw() { this.call('invoke', 'ReDraw', []); }
    IsPluginReady() { return this.call('invoke', 'IsPluginReady', []); }
    get IsRunning() { return this.call('get', 'IsRunning'); }
  }

  // One game area: the plug-in object in it and the page functions routed to
  // listeners. Events (detail in parentheses):
  //   pluginmissing, launchermissing, ready,
  //   activexready, activexquit, progress (percent), resolution (flag),
  //   gamesize (width), showgame (visible), status (phase),
  //   downloadspeed (downloadSpeed, curBytesRead, totalBytes),
  //   unzipprogress (curFiles, totalFiles), command (text, fields),
  //   roleinfo (role, text), sdk (name, args), invoke (name, argument).
  class KxGame extends EventTarget {
    // options: container (element for the object), params ({gameUpdateUrl,
    // extParam}), plugin (a scriptable object to use instead of embedding),
    // bridge (base URL of the page bridge), width, height.
    constructor(options) {
      super();
      this.options = options || {};
      this.paramsText = buildParamsText(this.options.params);
      this.plugin = this.options.plugin || null;
      this.element = null;
      this.pluginReady = false;
      this.pageLoaded = false;
      this.bridged = false;
    }

    emit(type, detail) {
      this.dispatchEvent(new CustomEvent(type, { detail: detail || {} }));
    }

    // Puts the plug-in object into the page. Call after install(): the plug-in
    // calls onPluginReady as soon as it has its window.
    embed() {
      if (!this.plugin) {
        const doc = root.document;
        const object = doc.createElement('object');
        object.type = MIME_TYPE;
        object.width = String(this.options.width || 960);
        object.height = String(this.options.height || 640);
        this.options.container.appendChild(object);
        this.element = object;
        this.plugin = object;
        if (!KxGame.hasScriptableObject(object) && this.options.bridge) {
          const bridged = new BridgePlugin(this.options.bridge);
          if (bridged.embed(MIME_TYPE)) {
            // The game window lives with the bridged plug-in, not in this page.
            object.remove();
            this.element = null;
            this.plugin = bridged;
            this.bridged = true;
          }
        }
      }
      if (!KxGame.hasScriptableObject(this.plugin)) this.emit('pluginmissing');
      return this;
    }

    static hasScriptableObject(object) {
      try {
        return !!object && (typeof object.IsPluginReady === 'function' || object.IsRunning === true);
      } catch (e) {
        return false;
      }
    }

    // IsRunning only tells that the plug-in is loaded.
    isRunning() {
      try { return this.plugin.IsRunning === true; } catch (e) { return false; }
    }

    // false: the launcher is missing from the system folder.
    isPluginReady() {
      try { return this.plugin.IsPluginReady() === true; } catch (e) { return false; }
    }

    redraw() { this.plugin.ReDraw(); }

    // OnPageLoaded sent before onPluginReady would be lost, so both go out here.
    onPluginReady() {
      this.pluginReady = true;
      if (!this.isPluginReady()) {
        this.emit('launchermissing');
        return;
      }
      this.plugin.SetParams(this.paramsText);
      this.plugin.OnScriptMessage(events.OnPageLoaded());
      this.pageLoaded = true;
      this.emit('ready');
    }

    // Sends a page event; the text is built (and refused) before anything goes out.
    send(text) {
      this.plugin.OnScriptMessage(text);
    }

    sdkScriptInit(ok) { this.send(events.OnSDKScriptInit(isYes(ok) ? '1' : '0')); }
    login(code, clientType) { this.send(events.OnLogin(code, clientType)); }
    logout(userId) { this.send(events.OnLogout(userId)); }
    sdkDialogClose() { this.send(events.OnSDKDialogClose()); }
    pay(status, orderId) { this.send(events.OnPay(status, orderId)); }
    clientInfo(token, deviceId, userId) { this.send(events.OnClientInfo(token, deviceId, userId)); }
    repair(clearPatchChoice) { this.send(events.OnClientRepair(clearPatchChoice)); }
    clickChatBtn() { this.send(events.OnClickChatBtn()); }
    payCloseDone() { this.send(events.PayCloseDone()); }
    jsVersionDone(h, m, l, exploreInfo) { this.send(events.GetJsVersionDone(h, m, l, exploreInfo)); }

    // commonCmdHandler: launch status texts, transfer figures, game texts.
    onCommand(text) {
      const fields = parsePairs(text);
      const num = (key) => decimal(fields.get(key));
      switch (fields.get('cmd')) {
        case 'com_progress_status':
          this.emit('status', { phase: num('status') });
          return;
        case 'com_down_speed':
          this.emit('downloadspeed', {
            downloadSpeed: num('downloadSpeed'), curBytesRead: num('curBytesRead'),
            totalBytes: num('totalBytes'),
          });
          return;
        case 'com_unzip_progress':
          this.emit('unzipprogress', { curFiles: num('curFiles'), totalFiles: num('totalFiles') });
          return;
        default:
          this.emit('command', { text: String(text), fields });
      }
    }
  }

  // The page functions the plug-in calls, bound to one game. Arguments arrive
  // as texts; missing ones read as empty texts.
  function pageFunctions(game) {
    const arg = (v) => (v === undefined || v === null ? '' : String(v));
    const fns = {
      onPluginReady() { game.onPluginReady(); },
      OnActiveXReady() { game.emit('activexready'); },
      OnActiveXQuit() { game.emit('activexquit'); },
      OnGameInitProgress(percent) { game.emit('progress', { percent: clampPercent(decimal(arg(percent))) }); },
      OnSetResolution(flag) { game.emit('resolution', { flag: decimal(arg(flag)) }); },
      OnChangeGamemainSize(width) { game.emit('gamesize', { width: decimal(arg(width)) }); },
      showDiv(which, show) { game.emit('showgame', { visible: arg(show) === '1' }); },
      invokeFunc(name, argument) {
        const n = arg(name);
        const a = arg(argument);
        if (n === 'commonCmdHandler') game.onCommand(a);
        else if (n === 'setRoleInfo') game.emit('roleinfo', { role: parseRoleInfo(a), text: a });
        else game.emit('invoke', { name: n, argument: a });
      },
    };
    for (const name of SDK_FUNCTIONS) {
      fns[name] = function (...args) { game.emit('sdk', { name, args: args.map(arg) }); };
    }
    // Results never reach the plug-in; a returned text would replace the page.
    for (const name of Object.keys(fns)) {
      const f = fns[name];
      fns[name] = function (...args) { f(...args); return undefined; };
    }
    return fns;
  }

  // Makes the page functions global, where javascript: URLs find them.
  function install(target, game) {
    const fns = pageFunctions(game);
    for (const [name, f] of Object.entries(fns)) target[name] = f;
    return fns;
  }

  return Object.freeze({
    MIME_TYPE, KxValueError, EVENT_FIELDS, events, buildEventText, buildParamsText,
    parsePairs, parseRoleInfo, ROLE_FIELDS, SDK_FUNCTIONS, BridgePlugin, KxGame,
    pageFunctions, install,
  });
});
