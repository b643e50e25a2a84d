// Drives the registered test control from JScript through its version-
// independent ProgID. The host prints nothing on an uncaught error, so the
// last line proves that the script ran to its end.
var c = new ActiveXObject("FwTest.TestCtrl");
var out = [];
out.push(c.EchoI2(-5));
out.push(c.EchoUI2(65535));
out.push(c.EchoI4(123456));
out.push(c.Negate(false));
out.push(c.Concat("ab", "cd"));
c.Level = 9;
out.push(c.Level);
try { c.SetCount(-1); out.push("no error"); } catch (e) { out.push("error " + (e.number >>> 0).toString(16)); }
try { c.Fail(7); out.push("no error"); } catch (e) { out.push("error " + (e.number >>> 0).toString(16)); }
WScript.Echo(out.join("|"));
WScript.Echo("END OF SCRIPT");
