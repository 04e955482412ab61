// KeyExist from the script host over strings a command line cannot carry. Prints one line
// per case: its name, then True, False or the error.
var probe = new ActiveXObject("Orvane.clsRegistry");
var cases = [
    ["existing", "HKEY_LOCAL_MACHINE\\SOFTWARE"],
    ["root alone", "HKEY_LOCAL_MACHINE"],
    ["missing", "HKEY_LOCAL_MACHINE\\SOFTWARE\\NoSuchKey"],
    ["unknown root", "HKEY_NOWHERE\\X"],
    ["lower-case root", "HKEY_local_machine\\SOFTWARE"],
    ["embedded NUL", "HKEY_LOCAL_MACHINE\\SOFTWARE\u0000NoSuchKey"],
    ["fullwidth separator", "HKEY_LOCAL_MACHINE\\SOFTWARE\uFF3CMicrosoft"],
    ["unpaired surrogate", "HKEY_LOCAL_MACHINE\\SOFTWARE\uD800"],
    ["malformed", "HKEY_LOCAL_MACHINE\\"],
    ["number", 42],
    ["long", "HKEY_LOCAL_MACHINE\\" + new Array(5001).join("k")]
];
for (var i = 0; i < cases.length; i++) {
    var answer;
    try {
        answer = probe.KeyExist(cases[i][1]) ? "True" : "False";
    } catch (e) {
        answer = "error " + (e.number >>> 0).toString(16);
    }
    WScript.Echo(cases[i][0] + ": " + answer);
}
// The versioned ProgID creates the same class.
try {
    var versioned = new ActiveXObject("Orvane.clsRegistry.1");
    answer = versioned.KeyExist(cases[0][1]) ? "True" : "False";
} catch (e) {
    answer = "error " + (e.number >>> 0).toString(16);
}
WScript.Echo("versioned ProgID: " + answer);
WScript.Quit(0);
