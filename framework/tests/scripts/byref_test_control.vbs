' VBScript passes a by-reference argument as a reference to its own variant.
Set c = CreateObject("FwTest.TestCtrl.1")
Dim s
c.FillText s, 4
WScript.Echo "filled " & s & " " & TypeName(s)
s = "old"
c.FillText s, 2
WScript.Echo "refilled " & s
WScript.Echo "END OF SCRIPT"
