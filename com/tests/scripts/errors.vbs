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
On Error GoTo 0
If ok Then
    WScript.Echo "errors: ok"
    WScript.Quit 0
End If
WScript.Quit 1
