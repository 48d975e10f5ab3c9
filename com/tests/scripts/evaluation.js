// What the Evaluation object promises a script, checked through late binding.
//   cscript //nologo evaluation.js <url> <document>
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
function expectRaised(what, call, words) {
    var raised = failure(call);
    if (raised.description.indexOf(words) < 0)
        failures.push(what + ": raised \"" + raised.description + "\", expected words \"" + words + "\"");
}

try {
    var url = WScript.Arguments(0), doc = WScript.Arguments(1);
    var evaluation = new ActiveXObject("TVKVerimarkMod.Evaluation");
    var r = evaluation.Run(url, doc, 0, 60);
    expect("exit status", r.ExitStatus, 1);
    expect("compliant", r.Compliant, false);
    expect("message is text", typeof r.Message, "string");
    var items = r.Items;
    expect("count", items.Count, 8);
    // The default member, with and without its name, from index 0.
    expect("Items(1)", r.Items(1).Designator, items.Item(1).Designator);
    expect("Items(0)", items(0).Designator, "os-family");
    var seen = 0, passed = 0, failed = 0, errors = 0, designators = [];
    for (var e = new Enumerator(items); !e.atEnd(); e.moveNext()) {
        var item = e.item();
        ++seen;
        designators.push(item.Designator);
        expect("typeof Passed", typeof item.Passed, "boolean");
        expect("typeof EvaluationTimeMicroseconds", typeof item.EvaluationTimeMicroseconds, "number");
        expect("microseconds from the text", item.EvaluationTimeMicroseconds, parseInt(item.EvaluationTime, 10));
        expect("Passed and Result", item.Passed, item.Result === "True");
        expect("Status and Passed", item.Status === "passed", item.Passed);
        for (var name in { Result: 0, ResultType: 0, Description: 0, Comment: 0 })
            expect("typeof " + name, typeof item[name], "string");
        if (item.Status === "passed") ++passed;
        else if (item.Status === "error") ++errors;
        else ++failed;
    }
    expect("enumerated", seen, 8);
    expect("in order", designators[0] + "," + designators[6], "os-family,legacy-policy");
    var summary = r.Summary;
    expect("Total", summary.Total, 8);
    expect("Passed", summary.Passed, passed);
    expect("Failed", summary.Failed, failed);
    expect("Errors", summary.Errors, errors);
    expect("some failed", summary.Failed > 0, true);
    var json = eval("(" + r.ToJson() + ")");
    expect("JSON items", json.items.length, 8);
    expect("JSON outcome status", json.outcome.status, 1);
    expectRaised("Items(8)", function () { return r.Items(8); }, "there is no item 8: the items are numbered from 0 to 7");
    expectRaised("Items(-1)", function () { return r.Items.Item(-1); }, "there is no item -1");

    // Bad arguments raise, in words; nothing runs.
    expectRaised("flags 16", function () { evaluation.Run(url, doc, 16, 0); }, "flags must be a whole number from 0 to 15, not 16");
    expectRaised("flags -1", function () { evaluation.Run(url, doc, -1, 0); }, "flags must be a whole number from 0 to 15, not -1");
    expectRaised("negative limit", function () { evaluation.Run(url, doc, 0, -1); }, "timeoutSeconds must be 0 (no limit)");
    expectRaised("flags 2.5", function () { evaluation.Run(url, doc, 2.5); }, "flags must be a whole number from 0 to 15, not 2.5");
    expectRaised("flags as words", function () { evaluation.Run(url, doc, "two"); }, "flags must be a whole number from 0 to 15, not two");
    expectRaised("limit 1.5", function () { evaluation.Run(url, doc, 0, 1.5); }, "timeoutSeconds must be 0 (no limit) or a whole number of seconds up to 604800, not 1.5");
    expectRaised("no document", function () { evaluation.Run(url); }, "document is missing");
    expectRaised("null url", function () { evaluation.Run(null, doc, 0, 0); }, "url is missing");
    expectRaised("empty document", function () { evaluation.Run(url, "", 0, 0); }, "document is empty");
    expectRaised("export of an empty path", function () { r.Export(""); }, "the export needs a file's path");

    // One session per process: a Session object's open session stays, and Run says busy.
    var session = new ActiveXObject("TVKVerimarkMod.Session");
    expect("open", session.Open(url, doc, 0), 0);
    var busy = evaluation.Run(url, doc);  // flags and the time limit may be left out
    expect("busy status", busy.ExitStatus, 6);
    expect("busy message", busy.Message.indexOf("already open in this process") >= 0, true);
    expectRaised("export without an answer", function () { busy.Export("x.xml"); }, "there is no answer to export");
    expect("the Session object's session is still open", session.Close(), 0);
} catch (e) {
    failures.push("unexpected error 0x" + (e.number >>> 0).toString(16) + ": " + e.description);
}
for (var i = 0; i < failures.length; i++)
    WScript.Echo("FAILED " + failures[i]);
WScript.Echo(failures.length ? "evaluation: failed" : "evaluation: ok");
