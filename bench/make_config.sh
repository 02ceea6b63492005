#!/usr/bin/env bash
# Writes a Config.ini of N profiles (default 100000) with every key filled, as the store
# writes them, to standard output: the file the load figures of bench_store and
# tavelorn-export --list are measured on (100,000 profiles: about 32 MB).
# Usage: bench/make_config.sh [N] > Config.ini
set -euo pipefail
awk -v n="${1:-100000}" 'BEGIN {
  split("SAP ERP 6.0 EHP7|SAP S/4HANA 2023|SAP BW/4HANA 2.0|SAP Solution Manager 7.2", t, "|")
  split("DEV|QAS|PRD|SBX", p, "|")
  print "[SystemInfo]"; print "NbItems=" n
  for (i = 1; i <= n; i++) {
    title = t[i % 4 + 1]; pos = p[i % 4 + 1]; sid = sprintf("S%03d", i % 1000)
    day = sprintf("%02d", i % 28 + 1); month = sprintf("%02d", i % 12 + 1)
    print "[SystemInfo_" i "]"
    print "ID=" title "__" sid "__2024_" month "_" day "_" i
    print "BorderWidth=" (i % 11)
    print "SystemTitle=" title
    print "LansdscapePosition=" pos
    print "SID=" sid
    print "Usage1=Finance"
    print "Usage2=Cl " (100 + i % 900)
    print "PictureFullPath=/srv/pics/bg-" (i % 7) ".jpg"
    print "PictureCenter=" (i % 2)
    print "PictureStretch=" (i % 3 == 0)
    print "Info1=Keep"
    print "Info2=Basis"
    print "Info3=Monthly"
    print "LastRefresh=" day "/" month "/2024"
    print "SourceRefresh=PRD"
    print "CommentRefresh=Copy"
  }
}'
