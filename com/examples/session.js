// Runs one compliance session through the TVKVerimarkMod automation server and lists
// every result item. Register the server first (regsvr32 TVKVerimarkMod.dll); the agent
// must be running.
//
//   cscript //nologo session.js [<url> [<document> [<flags>]]]
//
// Exit status: 0 when the session ran, 1 when it could not be opened or failed, 2 for an
// unexpected script error.
var url = WScript.Arguments.length > 0 ? WScript.Arguments(0) : "http://myserver:52311/cgi-bin/tvkgather.exe/actionsite";
var doc = WScript.Arguments.length > 1 ? WScript.Arguments(1) : "Workstation Baseline";
var flags = WScript.Arguments.length > 2 ? parseInt(WScript.Arguments(2), 10) : 0;

function main() {
    var session = new ActiveXObject("TVKVerimarkMod.Session");
    var progress = new ActiveXObject("TVKVerimarkMod.Progress");
    var response = new ActiveXObject("TVKVerimarkMod.Response");

    var opened = session.Open(url, doc, flags);
    if (opened != 0) {
        WScript.Echo("Open returned " + opened);
        return 1;
    }
    var state;
    for (;;) {
        state = progress.SessionProgress();
        if (state == 3) {
            WScript.Echo("Progress " + progress.GetPercent + "%");
            WScript.Sleep(1000);
            continue;
        }
        break;
    }
    var status = 0;
    if (state == 1) {
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
    } else {
        WScript.Echo("Progress failed with error " + progress.GetError);
        status = 1;
    }
    WScript.Echo("Close returned " + session.Close());
    return status;
}

try {
    WScript.Quit(main());
} catch (e) {
    // An uncaught error would end the script silently with status 0.
    WScript.Echo("Error 0x" + (e.number >>> 0).toString(16) + ": " + e.description);
    WScript.Quit(2);
}
