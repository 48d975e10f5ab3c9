' Runs one compliance session through the TVKVerimarkMod automation server and lists
' every result item. Register the server first (regsvr32 TVKVerimarkMod.dll); the agent
' must be running.
'
'   cscript //nologo session.vbs [<url> [<document> [<flags> [<time limit in seconds>]]]]
'
' Whatever happens after a successful Open, the session is closed. The script gives up
' when the evaluation has not finished within the time limit (600 seconds by default),
' counted in the one-second pauses between polls.
' Exit status: 0 when the session ran, 1 when it could not be opened, failed or took too
' long, 2 for an unexpected script error.
Option Explicit

Dim url, doc, flags, limit
url = "http://myserver:52311/cgi-bin/tvkgather.exe/actionsite"
doc = "Workstation Baseline"
flags = 0
limit = 600
If WScript.Arguments.Count > 0 Then url = WScript.Arguments(0)
If WScript.Arguments.Count > 1 Then doc = WScript.Arguments(1)
If WScript.Arguments.Count > 2 Then flags = CLng(WScript.Arguments(2))
If WScript.Arguments.Count > 3 Then limit = CLng(WScript.Arguments(3))

Function ListResults(progress, response)
    Dim waited, state, count, i
    waited = 0
    state = progress.SessionProgress()
    Do While state = 3
        If waited >= limit Then
            WScript.Echo "Gave up: the evaluation did not finish within " & limit & " seconds"
            ListResults = 1
            Exit Function
        End If
        WScript.Echo "Progress " & progress.GetPercent & "%"
        WScript.Sleep 1000
        waited = waited + 1
        state = progress.SessionProgress()
    Loop
    If state <> 1 Then
        WScript.Echo "Progress failed with error " & progress.GetError
        ListResults = 1
        Exit Function
    End If
    count = response.ResultCount
    WScript.Echo "Items: " & count
    For i = 0 To count - 1
        WScript.Echo "Designator: " & response.GetDesignator(i)
        WScript.Echo "Result: " & response.GetRelevanceResult(i)
        WScript.Echo "Result type: " & response.GetResultType(i)
        WScript.Echo "Evaluation time: " & response.GetEvalTime(i)
        WScript.Echo "Description: " & response.GetDescription(i)
        WScript.Echo "Comment: " & response.GetComment(i)
        WScript.Echo ""
    Next
    ListResults = 0
End Function

Function RunSession()
    Dim session, progress, response, opened, failure, failureText
    Set session = CreateObject("TVKVerimarkMod.Session")
    Set progress = CreateObject("TVKVerimarkMod.Progress")
    Set response = CreateObject("TVKVerimarkMod.Response")

    opened = session.Open(url, doc, flags)
    If opened <> 0 Then
        WScript.Echo "Open returned " & opened
        RunSession = 1
        Exit Function
    End If
    ' An error while listing must not leave the session open: close, then raise it again.
    On Error Resume Next
    RunSession = ListResults(progress, response)
    failure = Err.Number
    failureText = Err.Description
    On Error GoTo 0
    WScript.Echo "Close returned " & session.Close()
    If failure <> 0 Then Err.Raise failure, , failureText
End Function

Dim status
On Error Resume Next
status = RunSession()
If Err.Number <> 0 Then
    ' An uncaught error would end the script silently with status 0.
    WScript.Echo "Error 0x" & Hex(Err.Number) & ": " & Err.Description
    status = 2
End If
On Error GoTo 0
WScript.Quit status
