#!/usr/bin/env bash
# Include-graph check: each folder includes only the folders below it in the
# layering (the libraries' link order), and Qt is named only in platform/gui.
# Prints each offending include and exits 1 when there is one.
set -euo pipefail

ROOT="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
cd "$ROOT"

# folder: the folders its sources may include (besides itself).
declare -A ALLOWED=(
  [platform/rtl]=""
  [platform/classes]="platform/rtl"
  [platform/rtti]="platform/rtl platform/classes"
  [platform/db]="platform/rtl platform/classes platform/rtti"
  [platform/gui]="platform/rtl platform/classes platform/rtti platform/db"
  [text]="platform/rtl platform/classes platform/rtti platform/db platform/gui"
  [grid]="platform/rtl platform/classes platform/rtti platform/db platform/gui text"
  [data]="platform/rtl platform/classes platform/rtti platform/db platform/gui text grid storage"
  [storage]="platform/rtl platform/classes platform/rtti platform/db platform/gui text"
  [editor]="platform/rtl platform/classes platform/rtti platform/db platform/gui text"
  [app]="platform/rtl platform/classes platform/rtti platform/db platform/gui text grid data storage editor"
)

failures=0
checked=0
for folder in "${!ALLOWED[@]}"; do
  [ -d "$folder" ] || continue
  allowed=" $folder ${ALLOWED[$folder]} "
  checked=$((checked + $(find "$folder" \( -name '*.h' -o -name '*.cpp' -o -name '*.inc' \) | wc -l)))
  # file:line:#include "path" or <path>
  while IFS= read -r hit; do
    file="${hit%%:*}"
    rest="${hit#*:}"
    lineno="${rest%%:*}"
    line="${rest#*:}"
    [[ "$line" =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*([\"\<])([^\"\>]+)[\"\>] ]] || continue
    kind="${BASH_REMATCH[1]}"
    path="${BASH_REMATCH[2]}"
    if [ "$kind" = "<" ]; then
      # Qt's headers (<QWidget>, <QtCore/...>, <qglobal.h>) stay inside platform/gui.
      if [[ "$path" =~ ^(Q[A-Za-z]|Qt|q[a-z]*\.h$) ]] && [ "$folder" != "platform/gui" ]; then
        echo "$file:$lineno: Qt outside platform/gui: <$path>"
        failures=$((failures + 1))
      fi
      continue
    fi
    # The folder the path names: platform/<x> or the top folder.
    case "$path" in
      platform/*/*) rest="${path#platform/}"; target="platform/${rest%%/*}" ;;
      */*) target="${path%%/*}" ;;
      *) continue ;;
    esac
    [ -n "${ALLOWED[$target]+set}" ] || continue  # generated headers and the like
    if [[ "$allowed" != *" $target "* ]]; then
      echo "$file:$lineno: $folder may not include $path"
      failures=$((failures + 1))
    fi
  done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include' --include='*.h' --include='*.cpp' --include='*.inc' "$folder" || true)
done

if [ "$failures" -gt 0 ]; then
  echo "include graph: $failures include(s) against the layering in $checked files"
  exit 1
fi
echo "include graph: $checked files follow the layering"
