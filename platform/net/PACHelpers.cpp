#include "platform/net/PACHelpers.h"

namespace net {

const char* const kPACHelperScript = R"JS(
function isPlainHostName(host) { return String(host).indexOf('.') < 0; }
function dnsDomainIs(host, domain) {
  host = String(host); domain = String(domain);
  return host.length >= domain.length && host.substring(host.length - domain.length) === domain;
}
function localHostOrDomainIs(host, hostdom) {
  host = String(host); hostdom = String(hostdom);
  return host === hostdom || (host.indexOf('.') < 0 && hostdom.lastIndexOf(host + '.', 0) === 0);
}
function dnsDomainLevels(host) { return String(host).split('.').length - 1; }
function shExpMatch(str, pattern) {
  var re = String(pattern).replace(/[.+^${}()|[\]\\]/g, '\\$&').replace(/\*/g, '.*').replace(/\?/g, '.');
  return new RegExp('^' + re + '$').test(String(str));
}
function isResolvable(host) { return dnsResolve(host) !== null; }
function __zrAddress(ip) {
  var parts = String(ip).split('.');
  if (parts.length !== 4) return null;
  var value = 0;
  for (var i = 0; i < 4; i++) {
    if (!/^\d{1,3}$/.test(parts[i]) || Number(parts[i]) > 255) return null;
    value = value * 256 + Number(parts[i]);
  }
  return value;
}
function isInNet(host, pattern, mask) {
  var address = __zrAddress(host);
  if (address === null) {
    var resolved = dnsResolve(host);
    if (resolved === null) return false;
    address = __zrAddress(resolved);
  }
  var net = __zrAddress(pattern), bits = __zrAddress(mask);
  if (address === null || net === null || bits === null) return false;
  return ((address & bits) >>> 0) === ((net & bits) >>> 0);
}
function __zrArgs(args) {
  var list = Array.prototype.slice.call(args);
  var gmt = list.length > 0 && list[list.length - 1] === 'GMT';
  if (gmt) list.pop();
  return { list: list, now: new Date(__zrNow()), gmt: gmt };
}
function __zrInRange(value, start, end) {
  return start <= end ? (value >= start && value <= end) : (value >= start || value <= end);
}
var __zrDays = ['SUN', 'MON', 'TUE', 'WED', 'THU', 'FRI', 'SAT'];
var __zrMonths = ['JAN', 'FEB', 'MAR', 'APR', 'MAY', 'JUN', 'JUL', 'AUG', 'SEP', 'OCT', 'NOV', 'DEC'];
function weekdayRange() {
  var a = __zrArgs(arguments);
  var day = a.gmt ? a.now.getUTCDay() : a.now.getDay();
  var first = __zrDays.indexOf(a.list[0]);
  var last = a.list.length > 1 ? __zrDays.indexOf(a.list[1]) : first;
  if (first < 0 || last < 0) return false;
  return __zrInRange(day, first, last);
}
function timeRange() {
  var a = __zrArgs(arguments), n = a.list.map(Number);
  var h = a.gmt ? a.now.getUTCHours() : a.now.getHours();
  var m = a.gmt ? a.now.getUTCMinutes() : a.now.getMinutes();
  var s = a.gmt ? a.now.getUTCSeconds() : a.now.getSeconds();
  var t = h * 3600 + m * 60 + s;
  if (n.length === 1) return h === n[0];
  if (n.length === 2) return __zrInRange(t, n[0] * 3600, n[1] * 3600 - 1);
  if (n.length === 4) return __zrInRange(t, n[0] * 3600 + n[1] * 60, n[2] * 3600 + n[3] * 60 + 59);
  if (n.length === 6) return __zrInRange(t, n[0] * 3600 + n[1] * 60 + n[2], n[3] * 3600 + n[4] * 60 + n[5]);
  return false;
}
function dateRange() {
  var a = __zrArgs(arguments);
  var now = { day: a.gmt ? a.now.getUTCDate() : a.now.getDate(),
              month: a.gmt ? a.now.getUTCMonth() : a.now.getMonth(),
              year: a.gmt ? a.now.getUTCFullYear() : a.now.getFullYear() };
  function parse(items) {
    var spec = {};
    for (var i = 0; i < items.length; i++) {
      var item = items[i];
      if (typeof item === 'string' && __zrMonths.indexOf(item) >= 0) spec.month = __zrMonths.indexOf(item);
      else if (Number(item) > 31) spec.year = Number(item);
      else spec.day = Number(item);
    }
    return spec;
  }
  function key(spec, date) {
    return (spec.year !== undefined ? date.year * 10000 : 0) + (spec.month !== undefined ? date.month * 100 : 0) +
           (spec.day !== undefined ? date.day : 0);
  }
  var half = a.list.length / 2;
  if (a.list.length === 1 || a.list.length % 2 !== 0) {
    var single = parse(a.list);
    return key(single, now) === key(single, { day: single.day, month: single.month, year: single.year });
  }
  var start = parse(a.list.slice(0, half)), end = parse(a.list.slice(half));
  return __zrInRange(key(start, now), key(start, start), key(start, end));
}
)JS";

}  // namespace net
