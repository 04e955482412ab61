// Asks Orvane.clsRegistry about registry keys and prints each answer.
// Usage: cscript //nologo KeyExist.js [key path ...]
// Exit code: 0 when every call answered, 1 when a call failed, 2 when the object is missing.
var probe;
try {
    probe = new ActiveXObject("Orvane.clsRegistry");
} catch (e) {
    WScript.Echo("Cannot create Orvane.clsRegistry: " + e.message + " (" + (e.number >>> 0).toString(16) + ")");
    WScript.Quit(2);
}

var paths = [];
for (var i = 0; i < WScript.Arguments.length; i++)
    paths.push(WScript.Arguments(i));
if (paths.length === 0) {
    paths = ["HKEY_LOCAL_MACHINE\\SOFTWARE",
             "HKEY_CURRENT_USER\\Software",
             "HKEY_LOCAL_MACHINE\\SOFTWARE\\No Such Key",
             "HKEY_NOWHERE\\X"];
}

var failures = 0;
for (var j = 0; j < paths.length; j++) {
    try {
        WScript.Echo(paths[j] + ": " + (probe.KeyExist(paths[j]) ? "True" : "False"));
    } catch (e) {
        WScript.Echo(paths[j] + ": error " + (e.number >>> 0).toString(16) + " " + e.message);
        failures++;
    }
}
WScript.Quit(failures > 0 ? 1 : 0);
