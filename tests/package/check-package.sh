#!/usr/bin/env bash
# Packs both zips into WORK_DIR and checks what a shop gets: exactly the tool folder's files,
# the DLL of the zip's own architecture, the menu script in GBK, and the dialogs as the build
# compiles them (the UIStyler files the tests open).
#   check-package.sh WORK_DIR              exit 77 when the DLLs are not built
set -u
top=$(cd "$(dirname "$0")/../.." && pwd)
work=$1
for a in win32 win64; do
  [ -f "$top/dist/$a/kelvora.dll" ] || { echo "skipped: dist/$a/kelvora.dll is not built"; exit 77; }
done
rm -rf "$work"; mkdir -p "$work"
bash "$top/scripts/package.sh" "$work" > "$work/package.log" 2>&1 || { cat "$work/package.log"; exit 1; }
version=$(tr -d ' \r\n' < "$top/VERSION")
want="Kelvora/README.md
Kelvora/application/createElectDlg.dlg
Kelvora/application/edmDrfDlg.dlg
Kelvora/application/setElectLayer.dlg
Kelvora/data/EDM_BURN_LIST.tpl
Kelvora/data/EDM_JOB_INI.tpl
Kelvora/data/config.dat
Kelvora/startup/kelvora.dll
Kelvora/startup/kelvora.men
Kelvora/template/README.txt"
status=0
for a in win32 win64; do
  zip=$work/kelvora-$version-$a.zip
  got=$(unzip -Z1 "$zip" | LC_ALL=C sort)
  if [ "$got" != "$want" ]; then
    echo "$a: the zip holds other files than the tool folder's:"; diff <(echo "$want") <(echo "$got"); status=1
  fi
  mkdir -p "$work/$a" && (cd "$work/$a" && unzip -q -o "$zip")
  cmp -s "$work/$a/Kelvora/startup/kelvora.dll" "$top/dist/$a/kelvora.dll" \
    || { echo "$a: startup/kelvora.dll is not dist/$a/kelvora.dll"; status=1; }
  for d in createElectDlg edmDrfDlg setElectLayer; do
    cmp -s "$work/$a/Kelvora/application/$d.dlg" "$top/kit/application/$d.dlg" \
      || { echo "$a: application/$d.dlg is not the file the build compiled from kit/dialogs/$d.dlg.txt"; status=1; }
  done
  iconv -f GBK -t UTF-8 "$work/$a/Kelvora/startup/kelvora.men" | cmp -s - "$top/kit/startup/kelvora.men" \
    || { echo "$a: startup/kelvora.men is not the menu script in GBK"; status=1; }
done
# Packing twice gives the same bytes.
cp "$work/kelvora-$version-win64.zip" "$work/first.zip"
bash "$top/scripts/package.sh" "$work" > /dev/null 2>&1
cmp -s "$work/first.zip" "$work/kelvora-$version-win64.zip" || { echo "the zip differs between two runs"; status=1; }
[ $status = 0 ] && echo "package: both zips hold the tool folder and nothing else"
exit $status
