' Runs one compliance session through the TVKVerimarkMod automation server and lists
' every result item. Register the server first (regsvr32 TVKVerimarkMod.dll); the agent
' must be running.
'
'   cscript //nologo session.vbs [<url> [<document> [<flags> [<time limit in seconds>]]]]
'
' Whatever happens after a successful Open, the session is closed. The script gives up
' when the evaluation has not finished within the time limit (600 seconds by default).
' Between polls it pauses a second; where the host has no WScript.Sleep (Wine's has
' none), SessionProgress itself takes about a second, which paces the polls as well.
' Exit status: 0 when the session ran, 1 when it could not be opened, failed or took too
' long, 2 for an unexpected script error, 3 for an argument that is not understood.
Option Explicit

Dim url, doc, flags, limit
url = "http://myserver:52311/cgi-bin/tvkgather.exe/actionsite"
doc = "Workstation Baseline"
flags = 0
limit = 600
If WScript.Arguments.Count > 0 Then url = WScript.Arguments(0)
If WScript.Arguments.Count > 1 Then doc = WScript.Arguments(1)
If WScript.Arguments.Count > 2 Then flags = WholeNumber(WScript.Arguments(2), 0, 15, "flags")
If WScript.Arguments.Count > 3 Then limit = WholeNumber(WScript.Arguments(3), 0, 604800, "time limit")

' The text as a whole number from low to high, or the end of the script.
Function WholeNumber(text, low, high, what)
    Dim i, ok
    ok = Len(text) > 0 And Len(text) <= 9
    For i = 1 To Len(text)
        If InStr("0123456789", Mid(text, i, 1)) = 0 Then ok = False
    Next
    If ok Then ok = CLng(text) >= low And CLng(text) <= high
    If Not ok Then
        WScript.Echo "The " & what & " must be a whole number from " & low & " to " & high & ", not """ & text & """"
        WScript.Quit 3
    End If
    WholeNumber = CLng(text)
End Function

' Seconds since `started`, a value of Timer (which starts again at midnight).
Function Elapsed(started)
    Elapsed = Timer - started
    If Elapsed < 0 Then Elapsed = Elapsed + 86400
End Function

Sub Pause()
    ' No WScript.Sleep here (Wine's host has none): the next SessionProgress paces the loop.
    On Error Resume Next
    WScript.Sleep 1000
    On Error GoTo 0
End Sub

Function ListResults(progress, response)
    Dim started, state, count, i
    started = Timer
    state = progress.SessionProgress()
    Do While state = 3
        If Elapsed(started) >= limit Then
            WScript.Echo "Gave up: the evaluation did not finish within " & limit & " seconds"
            ListResults = 1
            Exit Function
        End If
        WScript.Echo "Progress " & progress.GetPercent & "%"
        Pause
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
