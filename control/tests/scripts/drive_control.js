// Drives the registered capture control by ProgID, as a script host does.
// Prints one line of results, then a last line that proves the script ran
// to its end (the host reports nothing on an uncaught error).
var c = new ActiveXObject("PENVANEPDF.PenvanePdfCtrl.1");
var out = [c.GetName(), c.GetLocation(), c.GetContactInfo(), c.GetSigString(), c.GetReason(),
           c.GetPathName(), c.GetSigTag()];
function hex(e) { return "error " + (e.number >>> 0).toString(16); }
c.SetSigFieldName("Signature1");
c.SetNumberOfReasons(2);
try { c.SetReasonString(2, "beyond"); out.push("no error"); } catch (e) { out.push(hex(e)); }
try { c.SetReasonString(1, "second"); c.SetReasonRequired(1); out.push("ok"); } catch (e) { out.push(hex(e)); }
try { c.NoSuchMethod(); out.push("no error"); } catch (e) { out.push(hex(e)); }
WScript.Echo(out.join("|"));
WScript.Echo("END OF SCRIPT");
