'use strict';
// The bridge's own pieces: line-protocol fields and result values.
const test = require('node:test');
const assert = require('node:assert/strict');
const { escapeField, unescapeField, parseLine, scriptValue, winePath } = require('./bridge.js');

test('fields escape TAB, line breaks, backslash and controls, and read back', () => {
  const cases = [
    ['a\tb', 'a\\tb'],
    ['l1\nl2\r', 'l1\\nl2\\r'],
    ['back\\slash', 'back\\\\slash'],
    ['\x00\x1f\x7f', '\\x00\\x1f\\x7f'],
    ['中文 \u2028 "q"', '中文 \u2028 "q"'],
  ];
  for (const [text, field] of cases) {
    assert.equal(escapeField(text), field);
    assert.equal(unescapeField(field), text);
  }
  // \xHH names bytes: three of them make one character.
  assert.equal(unescapeField('\\xE6\\xB8\\xB8'), '游');
  // An escape that is not one stays as it is.
  assert.equal(unescapeField('a\\qb\\x4'), 'a\\qb\\x4');
  assert.deepEqual(parseLine('page\t12\tp1\t_self\tf\ta\\tb'), ['page', '12', 'p1', '_self', 'f', 'a\tb']);
});

test('result values', () => {
  const cases = [['void', undefined], ['null', null], ['b:true', true], ['b:false', false],
    ['s:', ''], ['s:x:y', 'x:y'], ['i:42', 42], ['d:1.5', 1.5], ['object', 'object']];
  for (const [text, value] of cases) assert.equal(scriptValue(text), value, text);
});

test('Linux paths as Wine sees them', () => {
  assert.equal(winePath('/work/a b/c.dll'), 'Z:\\work\\a b\\c.dll');
});
