// Runs one whole evaluation through TVKVerimarkMod.Evaluation and lists its items, failed
// ones first. Register the server first (regsvr32 TVKVerimarkMod.dll); the agent must be
// running.
//
//   cscript //nologo evaluation.js [<url> [<document> [<time limit in seconds>]]]
//
// The call ends within the time limit plus 2 seconds (0: no limit); how the run ended is
// in the result, never raised. Exit status: the console tool's (result.ExitStatus), or 2
// for an unexpected script error.
var url = WScript.Arguments.length > 0 ? WScript.Arguments(0) : "http://myserver:52311/cgi-bin/tvkgather.exe/actionsite";
var doc = WScript.Arguments.length > 1 ? WScript.Arguments(1) : "Workstation Baseline";
var limit = WScript.Arguments.length > 2 ? parseInt(WScript.Arguments(2), 10) : 600;

try {
    var result = new ActiveXObject("TVKVerimarkMod.Evaluation").Run(url, doc, 0, limit);
    WScript.Echo("Exit status " + result.ExitStatus + ": " + result.Message);
    var summary = result.Summary;
    WScript.Echo("Items: " + summary.Total + " (" + summary.Passed + " passed, " + summary.Failed + " failed, " +
                 summary.Errors + " not evaluated)");
    for (var e = new Enumerator(result.Items); !e.atEnd(); e.moveNext()) {
        var item = e.item();
        if (!item.Passed)
            WScript.Echo(item.Status + ": " + item.Designator + " (" + item.Result + ") " + item.Comment);
    }
    WScript.Quit(result.ExitStatus);
} catch (e) {
    WScript.Echo("Error: " + e.description + " (0x" + (e.number >>> 0).toString(16) + ")");
    WScript.Quit(2);
}
