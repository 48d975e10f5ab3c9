' Runs one compliance session through the TVKVerimarkMod automation server and lists
' every result item. Register the server first (regsvr32 TVKVerimarkMod.dll); the agent
' must be running.
'
'   cscript //nologo session.vbs [<url> [<document> [<flags>]]]
'
' Exit status: 0 when the session ran, 1 when it could not be opened or failed, 2 for an
' unexpected script error.
Option Explicit

Dim url, doc, flags
url = "http://myserver:52311/cgi-bin/tvkgather.exe/actionsite"
doc = "Workstation Baseline"
flags = 0
If WScript.Arguments.Count > 0 Then url = WScript.Arguments(0)
If WScript.Arguments.Count > 1 Then doc = WScript.Arguments(1)
If WScript.Arguments.Count > 2 Then flags = CLng(WScript.Arguments(2))

Function RunSession()
    Dim session, progress, response, opened, state, count, i
    Set session = CreateObject("TVKVerimarkMod.Session")
    Set progress = CreateObject("TVKVerimarkMod.Progress")
    Set response = CreateObject("TVKVerimarkMod.Response")

    opened = session.Open(url, doc, flags)
    If opened <> 0 Then
        WScript.Echo "Open returned " & opened
        RunSession = 1
        Exit Function
    End If
    state = progress.SessionProgress()
    Do While state = 3
        WScript.Echo "Progress " & progress.GetPercent & "%"
        WScript.Sleep 1000
        state = progress.SessionProgress()
    Loop
    RunSession = 0
    If state = 1 Then
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
    Else
        WScript.Echo "Progress failed with error " & progress.GetError
        RunSession = 1
    End If
    WScript.Echo "Close returned " & session.Close()
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
