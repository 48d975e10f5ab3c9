// What a package's install-folder rule decides, through the system's own Windows Installer:
// the rule's condition read from the package, evaluated in a session of the package with
// each kind of folder put in place. The folders are those the package's own properties give.
//   cscript //nologo folder-rule.js <package.msi> <FOLDER=BASE>...
//   e.g. INSTALLFOLDER=ProgramFiles64Folder INSTALLFOLDER32=ProgramFilesFolder
var failures = [];
try {
    var installer = new ActiveXObject("WindowsInstaller.Installer");
    var path = WScript.Arguments(0);
    installer.UILevel = 2;  // none
    var session = installer.OpenPackage(path, 1);  // without the machine's state
    // The package's own database, through the session: Wine's Installer.OpenDatabase takes
    // its open mode as text, so a mode of 0 became the path of a copy ("0") in the
    // current folder.
    var view = session.Database.OpenView(
        "SELECT `Condition` FROM `InstallExecuteSequence` WHERE `Action` = 'RefuseInstallFolderOutsideProgramFiles'");
    view.Execute();
    var condition = view.Fetch().StringData(1);
    var folders = [];
    for (var i = 1; i < WScript.Arguments.length; i++) {
        var pair = WScript.Arguments(i).split("=");
        folders.push({ name: pair[0], base: session.Property(pair[1]) });
    }
    var plain = function (base) { return base + "Quorlan\\Verimark\\"; };
    // Each kind of folder, from its Program Files folder `b`, and whether it is refused.
    var cases = [
        ["the plain folder", function (b) { return plain(b); }, false],
        ["in other letter case", function (b) { return plain(b).toUpperCase(); }, false],
        ["outside Program Files", function (b) { return "C:\\Verimark\\"; }, true],
        ["out of it through ..", function (b) { return b + "..\\Tools\\"; }, true],
        ["deeper, then out through ..", function (b) { return b + "Quorlan\\..\\..\\Tools\\"; }, true],
        ["through .", function (b) { return b + ".\\Quorlan\\Verimark\\"; }, true],
        ["with a doubled separator", function (b) { return b + "Quorlan\\\\Verimark\\"; }, true],
        ["with /", function (b) { return b + "Quorlan/Verimark/"; }, true],
        ["a sibling whose name starts the same", function (b) { return b.replace(/\\$/, "X\\") + "Verimark\\"; }, true]
    ];
    for (var f = 0; f < folders.length; f++) {
        for (var c = 0; c < cases.length; c++) {
            for (var o = 0; o < folders.length; o++)
                session.Property(folders[o].name) = plain(folders[o].base);
            var value = cases[c][1](folders[f].base);
            session.Property(folders[f].name) = value;
            var refused = session.EvaluateCondition(condition) == 1;
            if (refused != cases[c][2])
                failures.push(folders[f].name + " " + cases[c][0] + " (" + value + "): " +
                              (refused ? "refused" : "taken"));
        }
    }
} catch (e) {
    failures.push("unexpected error 0x" + (e.number >>> 0).toString(16) + ": " + e.description);
}
for (var i = 0; i < failures.length; i++)
    WScript.Echo("FAILED " + failures[i]);
WScript.Echo(failures.length ? "folder-rule: failed" : "folder-rule: ok");
WScript.Quit(failures.length ? 1 : 0);
