' Runs one whole evaluation through TVKVerimarkMod.Evaluation and lists its items, failed
' ones first. Register the server first (regsvr32 TVKVerimarkMod.dll); the agent must be
' running.
'
'   cscript //nologo evaluation.vbs [<url> [<document> [<time limit in seconds>]]]
'
' The call ends within the time limit plus 2 seconds (0: no limit); how the run ended is
' in the result, never raised. Exit status: the console tool's (result.ExitStatus), or 2
' for an error the script did not expect.
Option Explicit
Dim url, doc, limit, result, summary, item
url = "http://myserver:52311/cgi-bin/tvkgather.exe/actionsite"
doc = "Workstation Baseline"
limit = 600
If WScript.Arguments.Count > 0 Then url = WScript.Arguments(0)
If WScript.Arguments.Count > 1 Then doc = WScript.Arguments(1)
If WScript.Arguments.Count > 2 Then limit = CLng(WScript.Arguments(2))

On Error Resume Next
Set result = CreateObject("TVKVerimarkMod.Evaluation").Run(url, doc, 0, limit)
If Err.Number <> 0 Then
    WScript.Echo "Error: " & Err.Description & " (" & Err.Source & ")"
    WScript.Quit 2
End If
On Error GoTo 0

WScript.Echo "Exit status " & result.ExitStatus & ": " & result.Message
Set summary = result.Summary
WScript.Echo "Items: " & summary.Total & " (" & summary.Passed & " passed, " & summary.Failed & " failed, " & _
             summary.Errors & " not evaluated)"
For Each item In result.Items
    If Not item.Passed Then WScript.Echo item.Status & ": " & item.Designator & " (" & item.Result & ") " & item.Comment
Next
WScript.Quit result.ExitStatus
