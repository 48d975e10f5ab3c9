' The error information of a failing Response member, as VBScript sees it.
Option Explicit
Dim response, value, ok
ok = True
Set response = CreateObject("TVKVerimarkMod.Response")
On Error Resume Next
value = response.ResultCount
If Err.Number <> &HFFFFFFF8 Then ok = False : WScript.Echo "FAILED number " & Hex(Err.Number)
If Err.Description <> "ResultCountError" Then ok = False : WScript.Echo "FAILED description " & Err.Description
If Err.Source <> "TVKVerimarkMod.Response.1" Then ok = False : WScript.Echo "FAILED source " & Err.Source
Err.Clear
value = response.GetComment(0)
If Err.Number <> &HFFFFFFF8 Then ok = False : WScript.Echo "FAILED comment number " & Hex(Err.Number)
If Err.Description <> "GetCommentError" Then ok = False : WScript.Echo "FAILED comment description " & Err.Description
Err.Clear
' The Evaluation object raises bad arguments in words, sourced from its ProgID.
Dim evaluation
Set evaluation = CreateObject("TVKVerimarkMod.Evaluation")
Set value = evaluation.Run("u", "d", 16, 0)
If Err.Number <> &H80070057 Then ok = False : WScript.Echo "FAILED Run number " & Hex(Err.Number)
If Err.Description <> "flags must be a whole number from 0 to 15, not 16" Then ok = False : WScript.Echo "FAILED Run description " & Err.Description
If Err.Source <> "TVKVerimarkMod.Evaluation.1" Then ok = False : WScript.Echo "FAILED Run source " & Err.Source
Err.Clear
Set value = evaluation.Run(Null, "d", 0, 0)
If Err.Description <> "url is missing (Null or nothing): give it as text" Then ok = False : WScript.Echo "FAILED Run Null " & Err.Description
On Error GoTo 0
If ok Then
    WScript.Echo "errors: ok"
    WScript.Quit 0
End If
WScript.Quit 1
