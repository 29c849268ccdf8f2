#!/usr/bin/env bash
# Updates a copy of each catalogue in translations/ from the sources with
# lupdate and fails when an entry is unfinished (a text without its
# translation, new texts included), missing from the catalogue as committed,
# or obsolete (a text the sources no longer have).
#   tools/check-translations.sh          check
#   tools/check-translations.sh --update write the updated catalogues back,
#                                        for translating their new entries
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

lupdate=/usr/lib/qt5/bin/lupdate
[ -x "$lupdate" ] || lupdate=$(command -v lupdate)
# Where the texts are: the window, the dialogs, the widgets, the forms and
# the descriptions of the AT commands in core/.
sources=(app core dialogs widgets forms)

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
status=0
for catalogue in translations/*.ts; do
    updated="$scratch/$(basename "$catalogue")"
    cp "$catalogue" "$updated"
    "$lupdate" -silent -locations none "${sources[@]}" -ts "$updated"
    if [ "${1:-}" = --update ]; then
        cp "$updated" "$catalogue"
        continue
    fi
    # lupdate marks a new text unfinished and a text gone from the sources
    # vanished (obsolete in older versions).
    problems=$(grep -n -B3 'type="\(unfinished\|vanished\|obsolete\)"' "$updated" || true)
    if [ -n "$problems" ]; then
        echo "$catalogue: entries unfinished, new or obsolete:"
        echo "$problems"
        status=1
    elif ! cmp -s "$catalogue" "$updated"; then
        echo "$catalogue differs from the sources' texts:"
        diff "$catalogue" "$updated" || true
        status=1
    fi
done
[ "$status" -eq 0 ] && [ "${1:-}" != --update ] && echo "translation catalogues complete"
exit "$status"
