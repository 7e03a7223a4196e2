' What each VBScript suite starts with: the counts, the check that keeps them and the line that
' ends the suite. VBScript has no include, so tests/wine/run puts this file in front of each suite
' (the line numbers of a script error count from its first line).
Option Explicit
On Error Resume Next

Dim passed, failed
passed = 0 : failed = 0

Sub Check(label, ok)
  If ok Then
    passed = passed + 1
  Else
    failed = failed + 1
    WScript.Echo "FAIL: " & label
  End If
End Sub

' Prints "N passed, N failed" and exits with the failure count.
Sub Finish()
  WScript.Echo passed & " passed, " & failed & " failed"
  WScript.Quit failed
End Sub
