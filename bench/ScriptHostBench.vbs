' Times Orvane.clsRegistry.KeyExist from a script against the two ways scripts usually ask
' whether a registry key exists: WScript.Shell.RegRead with errors trapped, and WMI's
' StdRegProv.EnumKey. Prints median calls per second over alternating rounds, how many times
' faster KeyExist is, and what each contender answered.
' Usage: cscript //nologo ScriptHostBench.vbs
' Exit code: 0 when every contender ran, 1 on an unexpected failure, 2 when Orvane is missing.
Option Explicit

Const kRounds = 9            ' per key and contender; the median is taken
Const kRoundSeconds = 0.4    ' each contender's share of a round
Const kCalibrateSeconds = 0.1
Const HKLM = &H80000002
Const NoSuchRoot = &H80000009 ' not a predefined key: EnumKey's view of HKEY_NOWHERE
Const ErrorNoMoreItems = 259

Dim probe, shell, wmi, enumKey, enumInput, directEnumKey, started

started = Timer

On Error Resume Next
Set probe = CreateObject("Orvane.clsRegistry")
If Err.Number <> 0 Then
    WScript.Echo "Cannot create Orvane.clsRegistry: " & Err.Description & " (" & Hex(Err.Number) & ")"
    WScript.Quit 2
End If
Set shell = CreateObject("WScript.Shell")
Check "Cannot create WScript.Shell"
Set wmi = GetObject("winmgmts:{impersonationLevel=impersonate}!\\.\root\default:StdRegProv")
Check "Cannot reach StdRegProv"
On Error GoTo 0
PrepareEnumKey

' label, KeyExist path, RegRead path, EnumKey root and subkey
Dim keys
keys = Array( _
    Array("existing", "HKEY_LOCAL_MACHINE\SOFTWARE", "HKEY_LOCAL_MACHINE\SOFTWARE\", HKLM, "SOFTWARE"), _
    Array("missing", "HKEY_LOCAL_MACHINE\SOFTWARE\OrvaneNoSuchKey", _
          "HKEY_LOCAL_MACHINE\SOFTWARE\OrvaneNoSuchKey\", HKLM, "SOFTWARE\OrvaneNoSuchKey"), _
    Array("unknown root", "HKEY_NOWHERE\X", "HKEY_NOWHERE\X\", NoSuchRoot, "X"))

Dim contenderNames
contenderNames = Array("KeyExist", "RegRead ""key\""", "StdRegProv.EnumKey")

If directEnumKey Then
    WScript.Echo "EnumKey called directly."
Else
    WScript.Echo "EnumKey called through ExecMethod_ (the direct call fails here)."
End If
WScript.Echo "RegRead of ""key\"" reads the default value: a key without one looks missing."
WScript.Echo "KeyExist is: KeyExist's calls per second over the contender's."
WScript.Echo "Unknown root: RegRead gets ""HKEY_NOWHERE\X\"", EnumKey gets hDefKey &H" & Hex(NoSuchRoot) & "."
WScript.Echo "" ' Wine's WScript.Echo raises 450 without an argument
WScript.Echo Pad("key", 13) & " " & Pad("contender", 20) & " " & Lpad("calls/s", 10) & " " & _
             Lpad("KeyExist is", 12) & "  answer"

Dim key
For Each key In keys
    MeasureKey key
Next
WScript.Echo "Measured in " & Round(Since(started)) & " s."
WScript.Quit 0

' Ends the script with code 1 when the last call raised an error.
Sub Check(what)
    If Err.Number <> 0 Then
        WScript.Echo what & ": " & Err.Description & " (" & Hex(Err.Number) & ")"
        WScript.Quit 1
    End If
End Sub

' Picks the way EnumKey can be called. Wine raises 80041002 on the direct call, and its
' SpawnInstance_ raises 445 (object doesn't support this action), so the method's own input
' object is filled in instead of a spawned copy.
Sub PrepareEnumKey()
    Dim names, result
    On Error Resume Next
    result = wmi.EnumKey(HKLM, "SOFTWARE", names)
    directEnumKey = (Err.Number = 0)
    Err.Clear
    If directEnumKey Then Exit Sub
    Set enumKey = wmi.Methods_("EnumKey")
    Check "Cannot find StdRegProv.EnumKey"
    Set enumInput = enumKey.InParameters.SpawnInstance_()
    If Err.Number <> 0 Then
        Err.Clear
        Set enumInput = enumKey.InParameters
    End If
    Check "Cannot make EnumKey's input"
End Sub

' Each Time* function makes n calls and returns the seconds they took; code receives the last
' call's raw outcome.
Function TimeKeyExist(path, n, code)
    Dim i, start
    start = Timer
    For i = 1 To n
        code = probe.KeyExist(path)
    Next
    TimeKeyExist = Since(start)
End Function

Function TimeRegRead(path, n, code)
    Dim i, start, value
    On Error Resume Next
    start = Timer
    For i = 1 To n
        Err.Clear
        value = shell.RegRead(path)
        code = Err.Number
    Next
    TimeRegRead = Since(start)
    Err.Clear
End Function

Function TimeEnumKey(root, subkey, n, code)
    Dim i, start, names, result
    start = Timer
    If directEnumKey Then
        For i = 1 To n
            code = wmi.EnumKey(root, subkey, names)
        Next
    Else
        For i = 1 To n
            enumInput.hDefKey = root
            enumInput.sSubKeyName = subkey
            Set result = wmi.ExecMethod_("EnumKey", enumInput)
            code = result.ReturnValue
        Next
    End If
    TimeEnumKey = Since(start)
End Function

Function Since(start)
    Dim seconds
    seconds = Timer - start
    If seconds < 0 Then seconds = seconds + 86400 ' past midnight
    Since = seconds
End Function

' Runs contender c of the key n times; errors other than RegRead's answers end the script.
Function TimeContender(key, c, n, code)
    On Error Resume Next
    Select Case c
        Case 0: TimeContender = TimeKeyExist(key(1), n, code)
        Case 1: TimeContender = TimeRegRead(key(2), n, code)
        Case 2: TimeContender = TimeEnumKey(key(3), key(4), n, code)
    End Select
    Check key(0) & ": " & contenderNames(c) & " failed"
End Function

Function Answer(c, code)
    Select Case c
        Case 0: Answer = CStr(CBool(code))
        Case 1: ' the usual idiom: no error means the key exists
            If code = 0 Then Answer = "True" Else Answer = "False (error " & Hex(code) & ")"
        Case 2: ' Wine answers 259 (no more items) for a key without subkeys
            Answer = CStr(code = 0 Or code = ErrorNoMoreItems) & " (returned " & code & ")"
    End Select
End Function

' Doubles the call count until it takes a noticeable time (warming the contender up), then
' sizes a round to take about kRoundSeconds.
Function CallsPerRound(key, c)
    Dim n, seconds, code
    n = 1
    Do
        n = n * 2
        seconds = TimeContender(key, c, n, code)
    Loop While seconds < kCalibrateSeconds
    CallsPerRound = Int(n * kRoundSeconds / seconds) + 1
End Function

' Runs the contenders in turn, round after round, so that drift hits them all alike.
Sub MeasureKey(key)
    Dim c, r, calls(2), answers(2), rates, code, seconds, medians(2)
    ReDim rates(2, kRounds - 1)
    For c = 0 To 2
        calls(c) = CallsPerRound(key, c)
    Next
    For r = 0 To kRounds - 1
        For c = 0 To 2
            seconds = TimeContender(key, c, calls(c), code)
            If seconds <= 0 Then seconds = 0.001 ' below the timer's resolution
            rates(c, r) = calls(c) / seconds
            If r = 0 Then
                answers(c) = Answer(c, code)
            ElseIf Answer(c, code) <> answers(c) Then
                WScript.Echo key(0) & ": " & contenderNames(c) & " changed its answer to " & Answer(c, code)
                WScript.Quit 1
            End If
        Next
    Next
    For c = 0 To 2
        medians(c) = Median(rates, c)
    Next
    For c = 0 To 2
        WScript.Echo Pad(key(0), 13) & " " & Pad(contenderNames(c), 20) & " " & _
                     Lpad(FormatNumber(medians(c), 0, True, False, False), 10) & " " & _
                     Lpad(FormatNumber(medians(0) / medians(c), 2, True, False, False) & "x", 12) & _
                     "  " & answers(c)
    Next
End Sub

' Median of row c of a two-dimensional array.
Function Median(rates, c)
    Dim values, i, j, n, swap
    n = UBound(rates, 2)
    ReDim values(n)
    For i = 0 To n
        values(i) = rates(c, i)
    Next
    For i = 1 To n
        For j = i To 1 Step -1
            If values(j - 1) <= values(j) Then Exit For
            swap = values(j): values(j) = values(j - 1): values(j - 1) = swap
        Next
    Next
    Median = values(n \ 2)
End Function

Function Pad(text, width)
    Pad = text
    If Len(text) < width Then Pad = text & Space(width - Len(text))
End Function

Function Lpad(text, width)
    Lpad = text
    If Len(text) < width Then Lpad = Space(width - Len(text)) & text
End Function
