// Runs one compliance session through the TVKVerimarkMod automation server and lists
// every result item. Register the server first (regsvr32 TVKVerimarkMod.dll); the agent
// must be running.
//
//   cscript //nologo session.js [<url> [<document> [<flags> [<time limit in seconds>]]]]
//
// Whatever happens after a successful Open, the session is closed. The script gives up
// when the evaluation has not finished within the time limit (600 seconds by default).
// Between polls it pauses a second; where the host has no WScript.Sleep (Wine's has
// none), SessionProgress itself takes about a second, which paces the polls as well.
// Exit status: 0 when the session ran, 1 when it could not be opened, failed or took too
// long, 2 for an unexpected script error, 3 for an argument that is not understood.
var url = WScript.Arguments.length > 0 ? WScript.Arguments(0) : "http://myserver:52311/cgi-bin/tvkgather.exe/actionsite";
var doc = WScript.Arguments.length > 1 ? WScript.Arguments(1) : "Workstation Baseline";
var flags = WScript.Arguments.length > 2 ? wholeNumber(WScript.Arguments(2), 0, 15, "flags") : 0;
var limit = WScript.Arguments.length > 3 ? wholeNumber(WScript.Arguments(3), 0, 604800, "time limit") : 600;

// The text as a whole number from low to high, or the end of the script.
function wholeNumber(text, low, high, what) {
    if (!/^[0-9]+$/.test(text) || parseInt(text, 10) < low || parseInt(text, 10) > high) {
        WScript.Echo("The " + what + " must be a whole number from " + low + " to " + high + ", not \"" + text + "\"");
        WScript.Quit(3);
    }
    return parseInt(text, 10);
}

function pause() {
    try {
        WScript.Sleep(1000);
    } catch (e) {
        // No WScript.Sleep here: the next SessionProgress paces the loop.
    }
}

function listResults(progress, response) {
    var started = new Date().getTime();
    var state = progress.SessionProgress();
    while (state == 3) {
        if (new Date().getTime() - started >= limit * 1000) {
            WScript.Echo("Gave up: the evaluation did not finish within " + limit + " seconds");
            return 1;
        }
        WScript.Echo("Progress " + progress.GetPercent + "%");
        pause();
        state = progress.SessionProgress();
    }
    if (state != 1) {
        WScript.Echo("Progress failed with error " + progress.GetError);
        return 1;
    }
    var count = response.ResultCount;
    WScript.Echo("Items: " + count);
    for (var i = 0; i < count; i++) {
        WScript.Echo("Designator: " + response.GetDesignator(i));
        WScript.Echo("Result: " + response.GetRelevanceResult(i));
        WScript.Echo("Result type: " + response.GetResultType(i));
        WScript.Echo("Evaluation time: " + response.GetEvalTime(i));
        WScript.Echo("Description: " + response.GetDescription(i));
        WScript.Echo("Comment: " + response.GetComment(i));
        WScript.Echo("");
    }
    return 0;
}

function main() {
    var session = new ActiveXObject("TVKVerimarkMod.Session");
    var progress = new ActiveXObject("TVKVerimarkMod.Progress");
    var response = new ActiveXObject("TVKVerimarkMod.Response");

    var opened = session.Open(url, doc, flags);
    if (opened != 0) {
        WScript.Echo("Open returned " + opened);
        return 1;
    }
    try {
        return listResults(progress, response);
    } finally {
        WScript.Echo("Close returned " + session.Close());
    }
}

try {
    WScript.Quit(main());
} catch (e) {
    // An uncaught error would end the script silently with status 0.
    WScript.Echo("Error 0x" + (e.number >>> 0).toString(16) + ": " + e.description);
    WScript.Quit(2);
}
