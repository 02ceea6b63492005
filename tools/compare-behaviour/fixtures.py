#!/usr/bin/env python3
"""Writes the generated Config.ini and landscape fixtures of compare-behaviour.sh.

Usage: fixtures.py FIXTURE_DIR PICTURE_DIR

Each fixture is FIXTURE_DIR/<name>/Config.ini (landscape files beside it). The suite's
tests write most of their files in code; these are representative copies of them plus
the awkward inputs a loader must survive. Dates come in several orders, so that each
locale reads some and warns about others.
"""

import os
import sys

fx, pics = sys.argv[1], sys.argv[2]

LISTS = """[SystemTitle]
NbItems=2
Item_1=SAP ERP 6.0 EHP7
Item_2=SAP BW/4HANA 2.0
[LandscapeType]
NbItems=4
Item_1=DEV
Item_2=QAS
Item_3=PRD
Item_4=SBX
[Color]
NbItems=4
Item_1=16711680
Item_2=33023
Item_3=255
Item_4=8421504
[SID]
NbItems=4
Item_1=DEV
Item_2=PRD
Item_3=QAS
Item_4=SBX
[RefreshComment]
NbItems=2
Item_1=
Item_2=Copy of production
"""


def write(name, data, file="Config.ini"):
    folder = os.path.join(fx, name)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("utf-8")
    with open(os.path.join(folder, file), "wb") as f:
        f.write(data)


def profile(n, **keys):
    lines = [f"[SystemInfo_{n}]"]
    lines += [f"{k}={v}" for k, v in keys.items()]
    return "\n".join(lines) + "\n"


def profiles(items):
    return f"[SystemInfo]\nNbItems={len(items)}\n" + "".join(
        profile(i + 1, **p) for i, p in enumerate(items))


DATES = ["03/03/2024", "03.03.2024", "3/13/2024", "13/03/2024", "2024-03-03", "",
         "30/12/1899", "last week", "01.12.2016", "1/12/2016"]
PICTURES = ["bg.bmp", "bg.jpg", "bg.gif", "bg.tif", "bg.ico", "bg.png", "broken.bmp"]

# The export test's file: a picture centred, a missing position, an empty ID, a broken
# picture, a slash in the SID, two profiles wanting one name.
write("export-suite", LISTS + profiles([
    dict(ID="Zeta__QAS__2016_12_01", BorderWidth=2, SystemTitle="sap erp 6.0 ehp7",
         LansdscapePosition="QAS", SID="QAS", Usage1="  Quality  ", Usage2="Client 200",
         PictureFullPath=f"{pics}/bg.bmp", PictureCenter=1, Info1="No transports",
         LastRefresh="01/12/2016", SourceRefresh="DEV", CommentRefresh="Weekly copy"),
    dict(ID="Alpha__QAS__2016_12_01", SID="QAS", LansdscapePosition="Sandbox",
         LastRefresh="01.12.2016"),
    dict(ID="", SID="PRD"),
    dict(ID="Broken__DEV__2024_01_05", SID="DEV", PictureFullPath=f"{pics}/broken.bmp"),
    dict(ID="Slash__A/B__2024_01_05", SID="A/B", LastRefresh="05/01/2024"),
]))

# Ten profiles through every position, border, picture and placement.
ten = []
for i in range(10):
    ten.append(dict(
        ID=f"System {i}__S{i:02d}__2024_03_{i + 1:02d}", BorderWidth=i % 11,
        SystemTitle=["SAP ERP 6.0 EHP7", "SAP BW/4HANA 2.0", "Équipe Zürich ÄÖÜ"][i % 3],
        LansdscapePosition=["DEV", "QAS", "PRD", "SBX", "Unknown"][i % 5], SID=f"S{i:02d}",
        Usage1=f"Usage line {i}", Usage2="Second line" if i % 2 else "",
        PictureFullPath=f"{pics}/{PICTURES[i % len(PICTURES)]}",
        PictureCenter=i % 2, PictureStretch=(i // 2) % 2,
        Info1=f"Info {i}", Info2="Do not use for production data" if i % 3 == 0 else "",
        Info3="Basis team", LastRefresh=DATES[i % len(DATES)], SourceRefresh="PRD",
        CommentRefresh="Copy of production"))
write("ten-profiles", LISTS + profiles(ten))

# Every key of the file, with long and odd values.
write("every-key", LISTS + profiles([
    dict(ID="Every__EVK__2024_03_03", BorderWidth=10,
         SystemTitle="A title far too long for the band " * 4, LansdscapePosition="PRD",
         SID="EVK", Usage1="W" * 300, Usage2="Usage with = sign and ; semicolon",
         PictureFullPath=f"{pics}/bg.jpg", PictureCenter=0, PictureStretch=1,
         Info1="Information rouge", Info2="  spaced  ", Info3="\tTabbed",
         LastRefresh="03/03/2024", SourceRefresh="PRD", CommentRefresh="Copy of production"),
    dict(ID="Borders__BRD__2024_03_03", BorderWidth=99, SID="BRD",
         LansdscapePosition="qas", PictureFullPath=f"{pics}/bg.gif", PictureCenter=1,
         PictureStretch=1, LastRefresh="03.03.2024"),
    dict(ID="Negative__NEG__2024_03_03", BorderWidth=-5, SID="NEGATIVE",
         PictureCenter=7, PictureStretch="yes", LastRefresh="3/3/2024"),
]))

# NUL bytes: a value ends at its first NUL.
write("nul-bytes", b"[SID]\nNbItems=2\nItem_1=DE\x00V\nItem_2=QAS\n[SystemInfo]\nNbItems=2\n"
      b"[SystemInfo_1]\nID=Nul__DEV__2024_03_03\x00hidden\nSID=DEV\x00X\nUsage1=before\x00after\n"
      b"LastRefresh=03/03/2024\n[SystemInfo_2]\nID=Plain__QAS__2024_03_03\nSID=QAS\n"
      b"Info1=\x00\nLastRefresh=03.03.2024\n\x00\x00\x00\n")

# Far-eastern code pages without a byte order mark (read with TAVELORN_CODEPAGE).
jp = "[SystemTitle]\r\nNbItems=1\r\nItem_1=会計システム\r\n" + profiles([
    dict(ID="会計システム__QAS__2024_03_03", SystemTitle="会計システム", SID="QAS",
         Usage1="品質保証", Info1="本番データに使用しないでください", LastRefresh="03/03/2024")
]).replace("\n", "\r\n")
write("cp932", jp.encode("cp932"))
cn = "[SystemTitle]\r\nNbItems=1\r\nItem_1=财务系统\r\n" + profiles([
    dict(ID="财务系统__DEV__2024_03_03", SystemTitle="财务系统", SID="DEV",
         Usage1="开发系统", Info1="请勿用于生产数据", LastRefresh="03.03.2024")
]).replace("\n", "\r\n")
write("cp936", cn.encode("gbk"))
# The same in UTF-16LE with a byte order mark (the Windows program's), and a Polish file.
write("utf16le-bom", b"\xff\xfe" + (LISTS + profiles(ten[:3])).replace("\n", "\r\n")
      .encode("utf-16-le"))
write("utf8-bom", b"\xef\xbb\xbf" + (LISTS + profiles(ten[3:5])).encode("utf-8"))
write("cp1250", b"[SystemInfo]\r\nNbItems=1\r\n[SystemInfo_1]\r\n"
      b"ID=\xA3\xF3d\x9F__DEV__2024_01_05\r\nSID=DEV\r\nUsage1=Zaj\xea\xb3a\r\n")

# Broken lines: no "=", an unclosed section, stray text, CR-only ends, a huge line,
# keys in other cases and with spaces, a section repeated.
write("broken-lines",
      b"garbage before any section\n[SID\nNbItems=1\n[SID]\nNbItems=2\nItem_1=DEV\n"
      b"Item_2\n=novalue\n  [SystemInfo]  \nnbitems = 3\n[SystemInfo_1]\r"
      b"ID=Cr__DEV__2024_03_03\rSID=DEV\rLastRefresh=03/03/2024\r"
      b"[systeminfo_2]\nid=Lower__QAS__2024_03_03\nsid=QAS\nUsage1=" + b"x" * 100000 + b"\n"
      b"[SystemInfo_3]\nID=Dup__PRD__2024_03_03\nSID=PRD\nSID=QAS\n[SystemInfo_3]\n"
      b"Usage1=second section\n[]\n=\n;comment=1\n# other\n\xff\xfe\xfd invalid utf-8\n")

# Counts that are negative, not numbers, too large or beyond the sections there are.
write("negative-counts",
      "[SystemTitle]\nNbItems=-1\nItem_1=Hidden\n[LandscapeType]\nNbItems=abc\nItem_1=DEV\n"
      "[Color]\nNbItems=99999999999999999999\nItem_1=255\n[SID]\nNbItems=5\nItem_1=DEV\n"
      "[RefreshComment]\nNbItems=2147483648\n[SystemInfo]\nNbItems=-3\n"
      "[SystemInfo_1]\nID=Neg__DEV__2024_03_03\nSID=DEV\n")
write("counts-beyond", "[SID]\nNbItems=3\nItem_1=DEV\n[SystemInfo]\nNbItems=4\n"
      "[SystemInfo_1]\nID=One__DEV__2024_03_03\nSID=DEV\n[SystemInfo_3]\n"
      "ID=Three__QAS__2024_03_03\nSID=QAS\n[SystemInfo_9]\nID=Nine__PRD__2024_03_03\nSID=PRD\n")

# Pictures that are missing, a Windows path, a folder, broken, empty.
write("missing-pictures", LISTS + profiles([
    dict(ID="Windows__DEV__2024_03_03", SID="DEV", PictureFullPath="C:\\Pictures\\band.bmp",
         LastRefresh="03/03/2024"),
    dict(ID="Gone__QAS__2024_03_03", SID="QAS", PictureFullPath=f"{pics}/missing.bmp",
         LastRefresh="03/03/2024"),
    dict(ID="Folder__PRD__2024_03_03", SID="PRD", PictureFullPath=pics),
    dict(ID="Broken__SBX__2024_03_03", SID="SBX", PictureFullPath=f"{pics}/broken.bmp"),
    dict(ID="Empty__EMP__2024_03_03", SID="EMP", PictureFullPath=f"{pics}/empty.jpg"),
    dict(ID="Relative__REL__2024_03_03", SID="REL", PictureFullPath="bg.bmp"),
    dict(ID="Fine__FIN__2024_03_03", SID="FIN", PictureFullPath=f"{pics}/bg.tif",
         PictureStretch=1),
    dict(ID="NoSid"),
]))

write("empty", b"")
write("lists-only", LISTS)

# Many profiles: the load's fast path. 10,000 is listed and exported one at a time.
many = [LISTS, "[SystemInfo]\nNbItems=10000\n"]
for i in range(10000):
    many.append(profile(i + 1, ID=f"Bulk {i}__B{i % 100:02d}__2024_03_03", BorderWidth=i % 11,
                        SystemTitle="SAP ERP 6.0 EHP7", LansdscapePosition=["DEV", "QAS", "PRD"][i % 3],
                        SID=f"B{i % 100:02d}", Usage1=f"Bulk {i}", LastRefresh="03/03/2024"))
write("bulk-10000", "".join(many))

# Landscape files: the README's example, an include, a refused document type, systems
# without a usable SID; the template profile is saved in Config.ini.
LANDSCAPE = """<?xml version="1.0" encoding="UTF-8"?>
<Landscape version="1" generator="written by hand">
  <Workspaces>
    <Workspace uuid="w1" name="Local">
      <Node uuid="n1" name="QAS">
        <Item uuid="i1" serviceid="s2"/>
      </Node>
      <Node uuid="n2" name="ERP">
        <Item uuid="i2" serviceid="s1"/>
        <Item uuid="i3" serviceid="s2"/>
      </Node>
    </Workspace>
  </Workspaces>
  <Services>
    <Service type="SAPGUI" uuid="s1" name="ERP Développement" systemid="DEV"
             description="dev system" server="erpdev:3200"/>
    <Service type="SAPGUI" uuid="s2" name="会計システム" systemid="qas"
             description="Accounting" server="fiqas:3200"/>
    <Service type="HTTP" uuid="s9" name="Portal" url="https://portal/"/>
    <Service type="SAPGUI" uuid="s3" name="Payroll" systemid="HR1X" description="HR"
             server="hr:3200"/>
  </Services>
  <Includes><Include url="more.xml" index="0"/></Includes>
</Landscape>
"""
MORE = """<?xml version="1.0" encoding="UTF-8"?>
<Landscape>
  <Workspaces><Workspace uuid="w2" name="Remote"><Node uuid="n3" name="PRD">
    <Item uuid="i4" serviceid="s4"/><Item uuid="i5" serviceid="s5"/></Node></Workspace></Workspaces>
  <Services>
    <Service type="SAPGUI" uuid="s4" name="BW prd" systemid=" bwp " description="BW"/>
    <Service type="SAPGUI" uuid="s5" name="Blank" systemid="   " description="no SID"/>
    <Service type="SAPGUI" uuid="s1" name="Again" systemid="AGN"/>
    <Service type="SAPGUI" uuid="s6" name="Tab\tname" systemid="T&#9;B" description="tab"/>
  </Services>
</Landscape>
"""
write("landscape", LISTS + profiles([
    dict(ID="Template", BorderWidth=2, SystemTitle="Template title",
         LansdscapePosition="SBX", SID="TPL", Usage1="Managed by Basis", Usage2="Client 100",
         PictureFullPath=f"{pics}/bg.bmp", PictureCenter=1, Info1="No transports on Fridays",
         LastRefresh="05/03/2024", SourceRefresh="PRD", CommentRefresh="Monthly"),
    dict(ID="Dotted", SID="DOT", LastRefresh="05.03.2024"),
]))
write("landscape", LANDSCAPE, "SAPUILandscape.xml")
write("landscape", MORE, "more.xml")
write("landscape", '<?xml version="1.0"?>\n<!DOCTYPE Landscape [<!ENTITY x "y">]>\n'
      '<Landscape>&x;</Landscape>\n', "doctype.xml")
write("landscape", LANDSCAPE.replace('"more.xml"', '"SAPUILandscape.xml"'), "loop.xml")
write("landscape", "<Landscape><Services>", "truncated.xml")

# The export test's ordered file: several profiles want one name (no refresh date: the
# fixed day), the first with a large background that is drawn last, one broken, one
# without a SID; names, notes and messages must come in file order all the same.
write("name-clashes", profiles([
    dict(ID="Slow", SID="DEV", PictureStretch=1, PictureFullPath=f"{pics}/big.jpg"),
    dict(ID="Fast", SID="DEV"),
    dict(ID="Broken", SID="DEV", PictureFullPath=f"{pics}/broken.bmp"),
    dict(ID="NoSid"),
    dict(ID="Third", SID="DEV"),
    dict(ID="Other", SID="QAS"),
    dict(ID="Dated C", SID="DEV", LastRefresh="15/06/2024"),
    dict(ID="Dated de", SID="DEV", LastRefresh="15.06.2024"),
    dict(ID="Lower", SID="dev"),
]))
