// Creates each control named on the command line by ProgID, as a script host
// does, and prints "<ProgID> created" or "<ProgID> error <hex>"; then a last
// line that proves the script ran to its end (the host reports nothing on an
// uncaught error).
function hex(e) { return "error " + (e.number >>> 0).toString(16); }
for (var i = 0; i < WScript.Arguments.length; ++i) {
    var progId = WScript.Arguments(i);
    try {
        var c = new ActiveXObject(progId);
        // A call through the dispatch interface, so the type library is in use.
        if (progId.indexOf("PENVANEPDF.") == 0) c.SetSigFieldName("Signature1");
        WScript.Echo(progId + " created");
    } catch (e) {
        WScript.Echo(progId + " " + hex(e));
    }
}
WScript.Echo("END OF SCRIPT");
