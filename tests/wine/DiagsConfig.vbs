' Uses every class of the component by its ProgID through late binding, as a script host
' would, and checks real behaviour. Prints "ok - ..." / "not ok - ..." per check and
' "# done" at the end. Run: cscript //nologo DiagsConfig.vbs (DiagsConfig.dll registered);
' test_com runs it too, in its own process, and then checks that no object is left alive.
Option Explicit

Dim gFailures
gFailures = 0

Sub Check(name, condition)
    CheckEqual name, True, CBool(condition)
End Sub

Sub CheckEqual(name, expected, actual)
    If expected = actual Then
        WScript.Echo "ok - " & name
    Else
        WScript.Echo "not ok - " & name & " (expected [" & expected & "], got [" & actual & "])"
        gFailures = gFailures + 1
    End If
End Sub

' Reports the run-time error the statement before it raised (under On Error Resume Next) and clears it.
Sub CheckError(name, expected)
    CheckEqual name, expected, Err.Number
    Err.Clear
End Sub

' Breaks the link cycles the way the dialog does on unload.
Sub BreakLinks(map, outputs)
    Dim setting, output
    For Each setting In map.AllTraceSettings
        setting.RemoveLinkedOutputs
    Next
    For Each output In outputs
        output.RemoveLinkedTraceSettings
    Next
End Sub

Function Joined(collection)
    Dim item, text
    text = ""
    For Each item In collection
        text = text & item.Name & "|"
    Next
    Joined = text
End Function

Dim o, o2, t, t2, c, m, entry, entry2, entries, i, outputs, r, dc, err1, rows

' ---------------------------------------------------------------- record defaults and types
Set o = CreateObject("DiagsConfig.COutput")
Check "COutput booleans start False", Not (o.NTEventLog Or o.AppendToFile Or o.LogToFile Or o.DebugMonitor Or o.DirtyFlag Or o.CircularLogFile)
CheckEqual "COutput boolean type", "Boolean", TypeName(o.CircularLogFile)
Check "COutput texts start empty", o.NTEventSource & o.FileName & o.Directory & o.MessageDLL & o.Name & o.Parent & o.Key = ""
CheckEqual "COutput text type", "String", TypeName(o.Key)
CheckEqual "COutput FileSize starts 0 as Double", "Double 0", TypeName(o.FileSize) & " " & o.FileSize
CheckEqual "COutput NTEventCategory is a Long", "Long 0", TypeName(o.NTEventCategory) & " " & o.NTEventCategory
CheckEqual "COutput ErrorThreshold is an Integer", "Integer 0", TypeName(o.ErrorThreshold) & " " & o.ErrorThreshold

Set t = CreateObject("DiagsConfig.CTraceSetting")
Check "CTraceSetting booleans start False", Not (t.AppendToFile Or t.LogToFile Or t.DebugMonitor Or t.DirtyFlag Or t.Checked Or t.CircularLogFile)
Check "CTraceSetting texts start empty", t.Name & t.FileName & t.Directory = ""
CheckEqual "CTraceSetting FileSize starts 0", "Double 0", TypeName(t.FileSize) & " " & t.FileSize

' ---------------------------------------------------------------- properties store what they are given
o.NTEventLog = True: o.AppendToFile = True: o.LogToFile = True: o.DebugMonitor = True
o.DirtyFlag = True: o.CircularLogFile = True
CheckEqual "COutput booleans read back as -1", -6, CInt(o.NTEventLog) + o.AppendToFile + o.LogToFile + o.DebugMonitor + o.DirtyFlag + o.CircularLogFile
o.NTEventSource = "Source": o.FileName = "Trace.log": o.Directory = "C:\Logs": o.MessageDLL = "msg.dll"
o.Name = "Authentication Tracing": o.Parent = "ZEL AuthServer": o.Key = "ZEL AuthServerAuthentication Tracing"
CheckEqual "COutput texts read back", "Source|Trace.log|C:\Logs|msg.dll|Authentication Tracing|ZEL AuthServer", _
    o.NTEventSource & "|" & o.FileName & "|" & o.Directory & "|" & o.MessageDLL & "|" & o.Name & "|" & o.Parent
o.FileSize = 1234.5678
CheckEqual "FileSize keeps fractions exactly", 1234.5678, o.FileSize
o.NTEventCategory = 70000: o.ErrorThreshold = -3
CheckEqual "32-bit and 16-bit numbers read back", "70000 -3", o.NTEventCategory & " " & o.ErrorThreshold
o.DirtyFlag = False
CheckEqual "booleans clear again", 0, CInt(o.DirtyFlag)
t.Checked = True: t.Name = "Report Editor": t.FileSize = 99999: t.Directory = "D:\x": t.FileName = "a.log"
CheckEqual "CTraceSetting values read back", "True Report Editor 99999 D:\x a.log", t.Checked & " " & t.Name & " " & t.FileSize & " " & t.Directory & " " & t.FileName
o.Key = "ZEL " & Chr(196) & Chr(214) & Chr(220) & " Tracing"
CheckEqual "texts outside ASCII survive the round trip", "ZEL " & Chr(196) & Chr(214) & Chr(220) & " Tracing", o.Key
o.Key = "ZEL AuthServerAuthentication Tracing"

' ---------------------------------------------------------------- links and their errors
CheckEqual "AddTraceSetting answers 0", 0, o.AddTraceSetting(t)
Set c = o.LinkedTraceSettings
Set t2 = CreateObject("DiagsConfig.CTraceSetting")
t2.Name = "Fact Editor"
o.AddTraceSetting t2
CheckEqual "LinkedTraceSettings is live, not a copy, and For Each walks it in order", "Report Editor|Fact Editor|", Joined(c)
CheckEqual "linked trace settings are keyed by Name, any case", "Fact Editor", o.LinkedTraceSettings("FACT EDITOR").Name
' The failure reaches the script through IDispatch's exception information: number, source and text.
On Error Resume Next : o.AddTraceSetting t
CheckEqual "adding the same trace setting twice fails with 457 from COutput, with a text", "457 DiagsConfig.COutput True", Err.Number & " " & Err.Source & " " & (Len(Err.Description) > 0)
Err.Clear : On Error GoTo 0
On Error Resume Next : Set o2 = CreateObject("DiagsConfig.COutput") : o.AddTraceSetting o2 : CheckError "an output is no trace setting (13)", 13 : On Error GoTo 0
On Error Resume Next : Dim nothingHere : Set nothingHere = Nothing : o.AddTraceSetting nothingHere : CheckError "Nothing is no trace setting (91)", 91 : On Error GoTo 0
CheckEqual "RemoveLinkedTraceSettings answers 1", 1, o.RemoveLinkedTraceSettings

CheckEqual "AddOutput answers 0", 0, t.AddOutput(o)
CheckEqual "RemoveLinkedOutputs answers 1", 1, t.RemoveLinkedOutputs
Check "LinkedOutputs is Nothing afterwards", t.LinkedOutputs Is Nothing

' ---------------------------------------------------------------- the keyed collection
Set m = CreateObject("DiagsConfig.CDiagMap")
Set c = m.EditorTraceSettings
c.Add "first", "A"
c.Add 2
c.Add "third", "c"
CheckEqual "Count counts every item", 3, c.Count
CheckEqual "Item by position", "first", c.Item(1)
CheckEqual "Item is the default member", "third", c("C")
CheckEqual "Item by key ignores case", "first", c("a")
On Error Resume Next : r = c("nope") : CheckError "a missing key fails with 5", 5 : On Error GoTo 0
On Error Resume Next : r = c(4) : CheckError "a position past the end fails with 9", 9 : On Error GoTo 0
On Error Resume Next : c.Add "x", "A" : CheckError "a duplicate key fails with 457", 457 : On Error GoTo 0
c.Remove "a"
CheckEqual "Remove by key", "2|third", c(1) & "|" & c(2)
c.Remove 1
CheckEqual "Remove by position", "third", c(1)
c.Remove "C"
Set c = m.TaskTraceSettings
Set o = CreateObject("DiagsConfig.COutput"): o.Name = "one": c.Add o, "k1"
Set o = CreateObject("DiagsConfig.COutput"): o.Name = "two": c.Add o, "k2"
Set o = CreateObject("DiagsConfig.COutput"): o.Name = "three": c.Add o
CheckEqual "For Each walks the items in order", "one|two|three|", Joined(c)
On Error Resume Next : m.AllTraceSettings.Add o : CheckError "a typed collection takes only its class (13)", 13 : On Error GoTo 0

' ---------------------------------------------------------------- the whole map
' The tables come out as arrays of texts with a spare slot at the end; which modules and traces
' each trace setting drives is the model's (its own suite checks it): here, that the outputs a
' script collects reach it, and that each record keeps one face.
Set m = CreateObject("DiagsConfig.CDiagMap")
m.InitializeDiagMapDefs
rows = m.EditorMapRows
CheckEqual "EditorMapRows: 69 texts, the last spare", "68 ZEL AdminEditorContainer []", UBound(rows) & " " & rows(0) & " [" & rows(68) & "]"
CheckEqual "the other tables' last slots", "22 21 5", UBound(m.EditorMapCols) & " " & UBound(m.TaskMapRows) & " " & UBound(m.TaskMapCols)
Dim nothingOutputs
Set nothingOutputs = Nothing
m.PopulateCheckedMap nothingOutputs
CheckEqual "without outputs (Nothing): 27 trace settings, no links", "27 0", m.AllTraceSettings.Count & " " & m.GetTraceSetting("Report Editor").LinkedOutputs.Count

' One output per module row, as the host names them, in a spare collection.
Set m = CreateObject("DiagsConfig.CDiagMap")
m.InitializeDiagMapDefs
Set outputs = m.EditorTraceSettings
For i = 0 To 67
    Set o = CreateObject("DiagsConfig.COutput")
    o.Parent = rows(i): o.Name = "Function Level Tracing": o.Key = o.Parent & o.Name
    outputs.Add o, o.Key
Next
m.PopulateCheckedMap outputs
CheckEqual "Report Editor links the outputs of 27 modules", 27, m.GetTraceSetting("Report Editor").LinkedOutputs.Count
Check "a record reached two ways is the same object", m.GetTraceSetting("Report Editor") Is m.AllTraceSettings("report editor")
Check "a linked output is the output that was added", outputs(1) Is m.GetTraceSetting("Server Administration").LinkedOutputs(1)
Check "a collection read twice is the same object", m.AllTraceSettings Is m.AllTraceSettings
Check "different records are different objects", Not (m.GetTraceSetting("Report Editor") Is m.GetTraceSetting("Fact Editor"))
Check "GetTraceSetting of an unknown name is Nothing", m.GetTraceSetting("No Such Editor") Is Nothing
CheckEqual "AddTraceSetting answers 1 and keeps one per name", "1 1 27", m.AddTraceSetting("Report Editor") & " " & m.AddTraceSetting("report editor") & " " & m.AllTraceSettings.Count
BreakLinks m, outputs

' ---------------------------------------------------------------- finding outputs
Set m = CreateObject("DiagsConfig.CDiagMap")
m.InitializeDiagMapDefs
Set c = m.TaskTraceSettings
Set o = CreateObject("DiagsConfig.COutput"): o.Parent = "ZEL AdminEditorContainer": o.Name = "T": o.Key = "ZEL AdminEditorContainerT": c.Add o
Set o = CreateObject("DiagsConfig.COutput"): o.Parent = "ZEL ReportServer": o.Name = "Report Source Tracing": o.Key = "ZEL ReportServerReport Source Tracing": c.Add o
CheckEqual "GetOutput answers a collection of what it finds", 1, m.GetOutput("ZEL AdminEditorContainer", c).Count
CheckEqual "GetOutput2 too", "Report Source Tracing", m.GetOutput2("ZEL ReportServer - Report Source Tracing", c)(1).Name
Check "GetOutput2 with no match is Nothing", m.GetOutput2("ZEL ReportServer - Other", c) Is Nothing
m.AddTraceSetting "Report Execution"
CheckEqual "LinkTraceSettings2Modules answers 0", 0, m.LinkTraceSettings2Modules("ZEL AdminEditorContainer", "Report Execution", c)
CheckEqual "LinkTraceSettings2Modules2 links the named trace", 1, m.LinkTraceSettings2Modules2("ZEL ReportServer - Report Source Tracing", "Report Execution", c)
CheckEqual "both links landed", 2, m.GetTraceSetting("Report Execution").LinkedOutputs.Count
On Error Resume Next : Set r = m.GetOutput("x", m.EditorTraceSettings) : m.EditorTraceSettings.Add "text" : Set r = m.GetOutput("x", m.EditorTraceSettings) : CheckError "outputs that are no COutput are a type mismatch", 13 : On Error GoTo 0
BreakLinks m, c

' ---------------------------------------------------------------- map entries
Set entry = CreateObject("DiagsConfig.CDiagMapEntry")
CheckEqual "a new entry is empty and unchecked", "||False", entry.Row & "|" & entry.Column & "|" & entry.Checked
CheckEqual "a new entry has its own default trace setting", "|False|0", entry.TraceSetting.Name & "|" & entry.TraceSetting.Checked & "|" & entry.TraceSetting.FileSize
entry.Row = "ZEL GridLib": entry.Column = "Report Editor": entry.Checked = True
Set entry2 = CreateObject("DiagsConfig.CDiagMapEntry")
entry2.Row = "ZEL GridLib": entry2.Column = "Report Editor"
CheckEqual "SameMapEntry of equal row and column answers True (-1)", -1, CInt(entry.SameMapEntry(entry2))
entry2.Column = "report editor"
CheckEqual "and of another entry False (0)", 0, CInt(entry.SameMapEntry(entry2))
Check "PrintEntry answers Empty", IsEmpty(entry.PrintEntry)

Set entries = CreateObject("DiagsConfig.CDiagMapEntries")
CheckEqual "a new entries object is empty", "0 []", entries.DiagMapEntries.Count & " [" & entries.Key & "]"
entries.Key = "Editors"
Dim k1: k1 = "GridLib/Report"
entries.Add entry, k1
CheckEqual "entries are found by key", "ZEL GridLib", entries.DiagMapEntry(k1).Row
Check "an unknown entry name gives Nothing", entries.DiagMapEntry("nope") Is Nothing
On Error Resume Next : entries.Add entry2, k1 : CheckError "adding under a used key fails with 457", 457 : On Error GoTo 0
On Error Resume Next : entries.Remove "nope" : CheckError "removing an unknown key fails with 5", 5 : On Error GoTo 0
Check "PrintAllEntries answers Empty", IsEmpty(entries.PrintAllEntries)
entries.Remove k1
CheckEqual "Remove takes the entry out", 0, entries.DiagMapEntries.Count
Set c = CreateObject("DiagsConfig.CDiagMapEntries").DiagMapEntries
Set entries.DiagMapEntries = c
entries.Add entry2, "x"
CheckEqual "an entries collection can be shared by reference", 1, c.Count
Set entries.DiagMapEntries = Nothing
On Error Resume Next : entries.Add entry, "y" : CheckError "with no collection Add fails with 91", 91 : On Error GoTo 0
On Error Resume Next : Set o = CreateObject("DiagsConfig.COutput") : o.AddTraceSetting entry : CheckError "entries are no outputs (13)", 13 : On Error GoTo 0

' ---------------------------------------------------------------- the entry class
Set dc = CreateObject("DiagsConfig.CDiagnosticsConfig")
Check "a second CDiagnosticsConfig starts while the first lives", IsObject(CreateObject("DiagsConfig.CDiagnosticsConfig"))
err1 = Empty
r = dc.ConfigureDiagnostics(err1)
Check "the first ConfigureDiagnostics answers an outcome 0-3", r >= 0 And r <= 3
r = dc.ConfigureDiagnostics(err1)
CheckEqual "a second ConfigureDiagnostics answers 3", 3, r
Check "and fills oError with an error object", IsObject(err1)
CheckEqual "the error names the entry class and the procedure", "CDiagnosticsConfig ConfigureDiagnistics", err1.Module & " " & err1.Procedure
CheckEqual "the error carries both titles", "Veltrane Desktop / Diagnostics Configuration", err1.ApplicationTitle & " / " & err1.ComponentTitle
Check "the error has a number and a text", err1.Number <> 0 And Len(err1.Description) > 0
r = dc.ConfigureDiagnostics(err1)
CheckEqual "a passed-in error object is replaced again", 3, r
WScript.Echo "# done, " & gFailures & " failed"
