#!/usr/bin/env bash
# Checks that kit/README.md carries each dialog's check table exactly as the generator prints it
# from the descriptions the dialogs are compiled from.
#   check-dialog-tables.sh DLGC SOURCE_DIR
set -u
dlgc=$1; top=$2
want=$("$dlgc" --table "$top"/kit/dialogs/*.dlg.txt) || exit 1
got=$(sed -n '/^<!-- dialog tables:/,/^<!-- end of dialog tables -->/p' "$top/kit/README.md" | sed '1d;$d')
if [ "$want" != "$got" ]; then
  echo "kit/README.md's dialog tables differ from 'dlgc --table kit/dialogs/*.dlg.txt':"
  diff <(echo "$got") <(echo "$want")
  exit 1
fi
echo "kit/README.md's dialog tables match the descriptions"
