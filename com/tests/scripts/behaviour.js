// What the automation objects promise a script, checked through late binding.
//   cscript //nologo behaviour.js <url> <document>
var failures = [];
function expect(what, actual, expected) {
    if (actual !== expected)
        failures.push(what + ": got " + actual + ", expected " + expected);
}
function failure(call) {
    try {
        call();
    } catch (e) {
        return { number: e.number >>> 0, description: e.description };
    }
    return { number: 0, description: "(no error)" };
}

try {
    var url = WScript.Arguments(0), doc = WScript.Arguments(1);
    var session = new ActiveXObject("TVKVerimarkMod.Session");
    var other = new ActiveXObject("TVKVerimarkMod.Session.1");
    var progress = new ActiveXObject("TVKVerimarkMod.Progress");
    var response = new ActiveXObject("TVKVerimarkMod.Response");

    expect("new GetPercent", progress.GetPercent, 0);
    expect("new GetError", progress.GetError, 0);
    expect("progress before open", progress.SessionProgress(), 2);
    expect("error before open", progress.GetError, -6);
    expect("percent before open", progress.GetPercent, 0);
    var early = failure(function () { return response.ResultCount; });
    expect("ResultCount before ready: number", early.number, 0xFFFFFFF8);
    expect("ResultCount before ready: description", early.description, "ResultCountError");

    // Member names in any letter case reach the same members.
    expect("OPEN", session.OPEN(url, doc, 0), 0);
    expect("second session object shares the session", other.open(url, doc, 0), -15);
    var state;
    // Wine's host has no WScript.Sleep (it fails with E_NOTIMPL): the next SessionProgress
    // paces the loop there. An evaluation that is not done at the first poll (a loaded
    // machine) goes this way.
    while ((state = progress.sessionprogress()) == 3) {
        try {
            WScript.Sleep(500);
        } catch (e) {
        }
    }
    expect("final state", state, 1);
    expect("percent when done", progress.getpercent, 100);
    expect("error when done", progress.GetError, 0);
    expect("ready again without the agent", progress.SessionProgress(), 1);
    var count = response.RESULTCOUNT;
    expect("count", count, 8);
    expect("designator 0", response.GetDesignator(0), "os-family");
    expect("designator 0 in lower case", response.getdesignator(0), "os-family");
    expect("result 6", response.GetRelevanceResult(6), "False");
    var beyond = failure(function () { return response.GetDesignator(count); });
    expect("GetDesignator(count): number", beyond.number, 0xFFFFFFEC);
    expect("GetDesignator(count): description", beyond.description, "GetDesignatorError");
    var negative = failure(function () { return response.GetRelevanceResult(-1); });
    expect("GetRelevanceResult(-1): description", negative.description, "GetResponseError");
    expect("close", session.Close(), 0);
    expect("close again", other.Close(), -6);
} catch (e) {
    failures.push("unexpected error 0x" + (e.number >>> 0).toString(16) + ": " + e.description);
}
for (var i = 0; i < failures.length; i++)
    WScript.Echo("FAILED " + failures[i]);
WScript.Echo(failures.length ? "behaviour: failed" : "behaviour: ok");
WScript.Quit(failures.length ? 1 : 0);
