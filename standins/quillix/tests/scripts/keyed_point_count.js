// Arguments: keyed text, its key, another key. Prints the point counts the
// pad reads with each key. cscript exits 0 even on a script error, so the
// last line shows the script ran to its end.
var args = WScript.Arguments;
function count(key) {
    var pad = new ActiveXObject("QUILLIX.QuillixCtrl.1");
    pad.EncryptionMode = 4;
    pad.KeyString = key;
    pad.SignatureString = args(0);
    return pad.GetPointCount();
}
WScript.Echo("with its key " + count(args(1)));
WScript.Echo("with another key " + count(args(2)));
WScript.Echo("END OF SCRIPT");
