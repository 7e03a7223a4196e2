// Every member of both controls called from JScript with every kind of value a hostile page can
// make, with too few and too many arguments: each call must come back with a result or a script
// error, and the controls must still answer afterwards. A call that takes the host down leaves
// no result line, which the runner counts as a failure. None of the values is a URL inside the
// vendor's domain, so no call fetches anything; INSTALL, which fetches from its own default when
// called as it should be, is called only wrongly.
var passed = 0, failed = 0, calls = 0, errors = 0;

function check(label, ok) {
  if (ok) {
    passed++;
  } else {
    failed++;
    WScript.Echo("FAIL: " + label);
  }
}

function repeated(text, count) {
  var parts = [];
  parts.length = count + 1;
  return parts.join(text);
}

var base = new ActiveXObject("HVDetector.Base");
var downloader = new ActiveXObject("HVDetector.InetDownloader");
check("Base is created", typeof base === "object");
check("InetDownloader is created", typeof downloader === "object");

var million = repeated("x", 1000000);
var values = [
  null, undefined, base, downloader, {}, [1, "two", null], [], function () { return 1; },
  new Date(), new Date(253402300799000), new Date(-62135596800000),
  1.7976931348623157e308, -1.7976931348623157e308, 5e-324, -0, NaN, Infinity, -Infinity,
  2147483648, -2147483649, 4294967296, 9007199254740993, true, false, "", million,
  "a\0b.cvx", "x\uD800.cvx", "\uDC00/x/y", "////", "http://",
  "http://www.corvantis.example.invalid/x.cvx", "http://www.corvantis.example@invalid/x.cvx",
  "http://invalid/" + million, "http://invalid/\"&calc&\".exe"
];

// Runs one call with the value at hand: it must come back, with or without an error.
function attempt(call) {
  calls++;
  try {
    call();
  } catch (e) {
    errors++;
  }
}

// JScript passes every argument by value; the call's text is built once per shape.
function hammer(object, member, arity) {
  if (member !== "INSTALL") {
    attempt(function () { return object[member]; });
    attempt(function () { return object[member](); });
  }
  for (var i = 0; i < values.length; i++) {
    var v = values[i];
    attempt(function () { return object[member](v); });
    if (arity >= 1)
      attempt(function () { return object[member](v, v); });
    if (arity >= 2)
      attempt(function () { return object[member](v, v, v); });
  }
}

function assign(object, member) {
  for (var i = 0; i < values.length; i++) {
    var v = values[i];
    attempt(function () { object[member] = v; });
  }
}

var baseMembers = [
  ["HasCvxMime", 0], ["HasCvtMime", 0], ["HasParticipantHalverine", 0], ["HasSupervisorHV", 0],
  ["HasIEAutoOpen", 0], ["INSTALL", 0], ["LAUNCH", 1], ["LaunchInternal", 1],
  ["getRemoteFile", 1], ["Download", 2], ["DownloadInternal", 2], ["NoSuchMember", 1]
];
var downloaderMembers = [
  ["RemoteFileToDownload", 0], ["Cancel", 0], ["OpenFile", 0], ["ReadBinaryData", 0],
  ["ReadCharacterData", 0], ["getFileNameParts", 1], ["Download", 2]
];
for (var m = 0; m < baseMembers.length; m++)
  hammer(base, baseMembers[m][0], baseMembers[m][1]);
for (var m = 0; m < downloaderMembers.length; m++)
  hammer(downloader, downloaderMembers[m][0], downloaderMembers[m][1]);
assign(base, "DownloadLocation");
assign(base, "HasCvxMime");
assign(downloader, "fileType");
assign(downloader, "RemoteFileToDownload");

WScript.Echo(calls + " hostile calls, " + errors + " script errors");
check(calls + " hostile calls came back, " + errors + " of them with a script error",
      calls > 1000 && errors > 0);

// Both controls still answer after all of it.
var answer;
attempt(function () { answer = base.HasCvxMime; });
check("Base still answers", typeof answer === "boolean");
answer = undefined;
attempt(function () { answer = downloader.getFileNameParts("http://www.corvantis.example/a/b.cvx"); });
check("InetDownloader still answers", answer !== undefined);

base = null;
downloader = null;
WScript.Echo(passed + " passed, " + failed + " failed");
WScript.Quit(failed);
