' Asks Orvane.clsRegistry about registry keys and prints each answer.
' Usage: cscript //nologo KeyExist.vbs [key path ...]
' Exit code: 0 when every call answered, 1 when a call failed, 2 when the object is missing.
Option Explicit

Dim probe, paths, path, answer, failures, i

On Error Resume Next
Set probe = CreateObject("Orvane.clsRegistry")
If Err.Number <> 0 Then
    WScript.Echo "Cannot create Orvane.clsRegistry: " & Err.Description & " (" & Hex(Err.Number) & ")"
    WScript.Quit 2
End If
On Error GoTo 0

If WScript.Arguments.Count > 0 Then
    ReDim paths(WScript.Arguments.Count - 1)
    For i = 0 To WScript.Arguments.Count - 1
        paths(i) = WScript.Arguments(i)
    Next
Else
    paths = Array("HKEY_LOCAL_MACHINE\SOFTWARE", _
                  "HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion", _
                  "HKEY_CURRENT_USER\Software", _
                  "HKEY_LOCAL_MACHINE\SOFTWARE\No Such Key", _
                  "HKEY_NOWHERE\X")
End If

failures = 0
For Each path In paths
    On Error Resume Next
    answer = probe.KeyExist(path)
    If Err.Number <> 0 Then
        WScript.Echo path & ": error " & Hex(Err.Number) & " " & Err.Description
        failures = failures + 1
        Err.Clear
    ElseIf answer Then
        WScript.Echo path & ": True"
    Else
        WScript.Echo path & ": False"
    End If
    On Error GoTo 0
Next

If failures > 0 Then WScript.Quit 1
WScript.Quit 0
