' Every member of both controls called from page script with every kind of value a hostile page
' can make, with too few and too many arguments, by value and by reference: each call must come
' back with a result or a script error, and the controls must still answer afterwards. A call
' that takes the host down leaves no result line, which the runner counts as a failure.
' None of the values is a URL inside the vendor's domain, so no call fetches anything; INSTALL,
' which fetches from its own default when called as it should be, is called only wrongly. Runs
' with suite_checks.vbs in front of it.
Dim calls, errors
calls = 0 : errors = 0

Function NestedArray(depth)
  Dim a, d
  a = "x"
  For d = 1 To depth
    a = Array(a)
  Next
  NestedArray = a
End Function

Dim base, downloader, dictionary
Set base = CreateObject("HVDetector.Base")
Set downloader = CreateObject("HVDetector.InetDownloader")
Set dictionary = CreateObject("Scripting.Dictionary")
Check "Base is created", IsObject(base)
Check "InetDownloader is created", IsObject(downloader)
Err.Clear

Dim values(31), names(31)
Sub AddValue(i, name, value)
  names(i) = name
  If IsObject(value) Then
    Set values(i) = value
  Else
    values(i) = value
  End If
End Sub
AddValue 0, "Empty", Empty
AddValue 1, "Null", Null
AddValue 2, "Nothing", Nothing
AddValue 3, "the control itself", base
AddValue 4, "the other control", downloader
AddValue 5, "a dictionary", dictionary
AddValue 6, "an array", Array(1, "two", Null)
AddValue 7, "an empty array", Array()
AddValue 8, "an array 4100 deep", NestedArray(4100)
AddValue 9, "now", Now
AddValue 10, "the last date", DateSerial(9999, 12, 31)
AddValue 11, "the first date", DateSerial(100, 1, 1)
AddValue 12, "the largest double", 1.79769313486231E+308
AddValue 13, "the smallest double", -1.79769313486231E+308
AddValue 14, "the largest currency", CCur("922337203685477.5807")
AddValue 15, "the smallest long", CLng(-2147483647) - 1
AddValue 16, "past the long range", 2147483648
AddValue 17, "a byte", CByte(255)
AddValue 18, "true", True
AddValue 19, "an empty text", ""
AddValue 20, "a million characters", String(1000000, "x")
AddValue 21, "an embedded NUL", "a" & Chr(0) & "b.cvx"
AddValue 22, "a lone high surrogate", "x" & ChrW(&HD800) & ".cvx"
AddValue 23, "a lone low surrogate", ChrW(&HDC00) & "/x/y"
AddValue 24, "slashes only", "////"
AddValue 25, "a scheme only", "http://"
AddValue 26, "a host outside the domain", "http://www.corvantis.example.invalid/x.cvx"
AddValue 27, "credentials before another host", "http://www.corvantis.example@invalid/x.cvx"
AddValue 28, "a million-character URL", "http://invalid/" & String(1000000, "a")
AddValue 29, "a negative zero", -0.0
AddValue 30, "a single", CSng(3.4E+38)
AddValue 31, "a path with quotes", "http://invalid/""&calc&"".exe"

Dim v, r
Sub Take(i)
  If IsObject(values(i)) Then
    Set v = values(i)
  Else
    v = values(i)
  End If
End Sub

' The calls, each with the value at hand in v (by reference) or in parentheses (by value), from no
' argument to one more than the member takes. The script host here cannot build statements at run
' time, so each shape is written out. INSTALL has no call without arguments.
Dim shapes
shapes = Array("HasCvxMime/0", "HasCvxMime/1", "HasCvtMime/1", "HasParticipantHalverine/1", _
               "HasSupervisorHV/1", "HasIEAutoOpen/1", "INSTALL/1", "INSTALL/2", _
               "LAUNCH/0", "LAUNCH/1", "LAUNCH/1v", "LAUNCH/2", "LaunchInternal/0", _
               "LaunchInternal/1", "LaunchInternal/1v", "LaunchInternal/2", "getRemoteFile/0", _
               "getRemoteFile/1", "getRemoteFile/1v", "getRemoteFile/2", "Download/1", _
               "Download/2", "Download/2v", "Download/3", "Download/-1", "DownloadInternal/1", _
               "DownloadInternal/2", "DownloadInternal/3", "DownloadInternal/-1", _
               "DownloadLocation=", "DownloadLocation=Set", "HasCvxMime=", "NoSuchMember/1", _
               "d.RemoteFileToDownload/0", "d.RemoteFileToDownload/1", "d.Cancel/1", _
               "d.OpenFile/1", "d.ReadBinaryData/1", "d.ReadCharacterData/1", _
               "d.getFileNameParts/0", "d.getFileNameParts/1", "d.getFileNameParts/1v", _
               "d.getFileNameParts/2", "d.Download/1", "d.Download/2", "d.Download/3", _
               "d.Download/-1", "d.fileType=", "d.fileType=Set", "d.RemoteFileToDownload=")

Sub CallShape(shape)
  On Error Resume Next
  Select Case shape
    Case "HasCvxMime/0": r = base.HasCvxMime()
    Case "HasCvxMime/1": r = base.HasCvxMime(v)
    Case "HasCvtMime/1": r = base.HasCvtMime(v)
    Case "HasParticipantHalverine/1": r = base.HasParticipantHalverine(v)
    Case "HasSupervisorHV/1": r = base.HasSupervisorHV(v)
    Case "HasIEAutoOpen/1": r = base.HasIEAutoOpen(v)
    Case "INSTALL/1": r = base.INSTALL(v)
    Case "INSTALL/2": base.INSTALL v, v
    Case "LAUNCH/0": r = base.LAUNCH()
    Case "LAUNCH/1": r = base.LAUNCH(v)
    Case "LAUNCH/1v": base.LAUNCH (v)
    Case "LAUNCH/2": r = base.LAUNCH(v, v)
    Case "LaunchInternal/0": r = base.LaunchInternal()
    Case "LaunchInternal/1": r = base.LaunchInternal(v)
    Case "LaunchInternal/1v": base.LaunchInternal (v)
    Case "LaunchInternal/2": r = base.LaunchInternal(v, v)
    Case "getRemoteFile/0": r = base.getRemoteFile()
    Case "getRemoteFile/1": r = base.getRemoteFile(v)
    Case "getRemoteFile/1v": base.getRemoteFile (v)
    Case "getRemoteFile/2": r = base.getRemoteFile(v, v)
    Case "Download/1": r = base.Download(v)
    Case "Download/2": r = base.Download(v, v)
    Case "Download/2v": base.Download (v), (v)
    Case "Download/3": r = base.Download(v, v, v)
    Case "Download/-1": r = base.Download(, v)
    Case "DownloadInternal/1": r = base.DownloadInternal(v)
    Case "DownloadInternal/2": r = base.DownloadInternal(v, v)
    Case "DownloadInternal/3": r = base.DownloadInternal(v, v, v)
    Case "DownloadInternal/-1": r = base.DownloadInternal(, v)
    Case "DownloadLocation=": base.DownloadLocation = v
    Case "DownloadLocation=Set": Set base.DownloadLocation = v
    Case "HasCvxMime=": base.HasCvxMime = v
    Case "NoSuchMember/1": r = base.NoSuchMember(v)
    Case "d.RemoteFileToDownload/0": r = downloader.RemoteFileToDownload
    Case "d.RemoteFileToDownload/1": r = downloader.RemoteFileToDownload(v)
    Case "d.Cancel/1": downloader.Cancel v
    Case "d.OpenFile/1": downloader.OpenFile v
    Case "d.ReadBinaryData/1": downloader.ReadBinaryData v
    Case "d.ReadCharacterData/1": downloader.ReadCharacterData v
    Case "d.getFileNameParts/0": r = downloader.getFileNameParts()
    Case "d.getFileNameParts/1": r = downloader.getFileNameParts(v)
    Case "d.getFileNameParts/1v": downloader.getFileNameParts (v)
    Case "d.getFileNameParts/2": r = downloader.getFileNameParts(v, v)
    Case "d.Download/1": downloader.Download v
    Case "d.Download/2": downloader.Download v, v
    Case "d.Download/3": downloader.Download v, v, v
    Case "d.Download/-1": downloader.Download , v
    Case "d.fileType=": downloader.fileType = v
    Case "d.fileType=Set": Set downloader.fileType = v
    Case "d.RemoteFileToDownload=": downloader.RemoteFileToDownload = v
    Case Else: WScript.Echo "no such shape: " & shape
  End Select
  calls = calls + 1
  If Err.Number <> 0 Then errors = errors + 1
End Sub

Dim i, shape
For i = 0 To UBound(values)
  Take i
  For Each shape In shapes
    CallShape shape
  Next
Next

WScript.Echo calls & " hostile calls, " & errors & " script errors"
Check calls & " hostile calls came back, " & errors & " of them with a script error", _
      calls = (UBound(values) + 1) * (UBound(shapes) + 1) And errors > 0

' Both controls still answer after all of it.
Err.Clear
r = base.HasCvxMime
Check "Base still answers (error " & Err.Number & ")", Err.Number = 0 And VarType(r) = vbBoolean
Err.Clear
r = downloader.getFileNameParts("http://www.corvantis.example/a/b.cvx")
Check "InetDownloader still answers (error " & Err.Number & ")", Err.Number = 0
Err.Clear

Set base = Nothing
Set downloader = Nothing
Finish
