// Creates every ProgID the server registers, runs one session through the versioned ones
// and one whole evaluation through Evaluation: what an installed server must give a script
// host of its bitness.
//   cscript //nologo progids.js <url> <document>
// Prints "progids: ok, <n> items" and exits 0, or says what failed and exits 1.
var names = ["Session", "Progress", "Response", "Evaluation"];
function main() {
    for (var i = 0; i < names.length; i++) {
        new ActiveXObject("TVKVerimarkMod." + names[i]);
    }
    var session = new ActiveXObject("TVKVerimarkMod.Session.1");
    var progress = new ActiveXObject("TVKVerimarkMod.Progress.1");
    var response = new ActiveXObject("TVKVerimarkMod.Response.1");
    var opened = session.Open(WScript.Arguments(0), WScript.Arguments(1), 0);
    if (opened != 0) {
        WScript.Echo("progids: Open returned " + opened);
        return 1;
    }
    try {
        var state = progress.SessionProgress();
        for (var polls = 0; state == 3 && polls < 120; polls++) {
            WScript.Sleep(500);
            state = progress.SessionProgress();
        }
        if (state != 1) {
            WScript.Echo("progids: progress ended in state " + state + ", error " + progress.GetError);
            return 1;
        }
        var count = response.ResultCount;
        for (var item = 0; item < count; item++)
            if (response.GetDesignator(item) == "")
                throw new Error("item " + item + " has no designator");
    } finally {
        session.Close();
    }
    // The whole evaluation again, through the Evaluation class and its collection.
    var result = new ActiveXObject("TVKVerimarkMod.Evaluation.1").Run(WScript.Arguments(0), WScript.Arguments(1), 0, 120);
    var enumerated = 0;
    for (var e = new Enumerator(result.Items); !e.atEnd(); e.moveNext())
        ++enumerated;
    if (result.Summary.Total != count || enumerated != count) {
        WScript.Echo("progids: Evaluation found " + result.Summary.Total + " items (" + enumerated + " enumerated), " +
                     "the session " + count + "; " + result.Message);
        return 1;
    }
    WScript.Echo("progids: ok, " + count + " items");
    return 0;
}
try {
    WScript.Quit(main());
} catch (e) {
    WScript.Echo("progids: error 0x" + (e.number >>> 0).toString(16) + ": " + e.description);
    WScript.Quit(1);
}
