#!/usr/bin/env bash
# A vault location that also holds the user's documents: they store and
# restore as from any folder, while the box folders stay out of reach. The
# location, a box, a stored file (under any spelling) are refused as drops; a
# folder that holds the location is stored without the boxes; a restore into
# a box, directly or through a link, is refused; the boxes never change. In a
# temporary folder.
# Usage: VaultIntoItselfTest.sh PATH-TO-quovex-tool
. "$(dirname "$0")/ToolTestSupport.sh"
CRED=(--user alice --password secret1)
snapshot() {
    (cd top/home && find FileBox ImageBox VideoBox OtherBox \( -type f -printf '%p %i %s\n' \) -o -printf '%p %i\n' | sort)
}

mkdir -p top/home/{Documents,FileBox,ImageBox,VideoBox,OtherBox}
echo first >top/home/Documents/a.txt
echo notes >top/home/notes.txt
echo other >top/other.txt
H=top/home

"$TOOL" store "${CRED[@]}" "$H/Documents/a.txt" "$H/FileBox" 2>err.txt ||
    { fail "a document beside the boxes was not stored"; cat err.txt; }
[ -e "$H/Documents/a.txt" ] && fail "its source was kept"
"$TOOL" restore "${CRED[@]}" --to "$H/Documents" "$H/FileBox/a.txt.\$" 2>err.txt ||
    { fail "a restore into the documents was refused"; cat err.txt; }
[ "$(cat "$H/Documents/a.txt" 2>/dev/null)" = first ] || fail "restored document differs"

# The location, a box, a stored file, and a box under other spellings.
ln -s "$WORK/$H" homelink
ln -s "$WORK/$H/OtherBox" boxlink
before=$(snapshot)
for item in "$H" "$H/ImageBox" "$H/FileBox/a.txt.\$" "$H/./Documents/../FileBox" homelink/FileBox; do
    "$TOOL" store "${CRED[@]}" "$item" "$H/OtherBox" 2>err.txt
    [ $? -eq 1 ] || fail "$item: not refused"
    grep -q "the vault or its location\|inside the vault" err.txt || { fail "$item: report"; cat err.txt; }
done
[ "$(snapshot)" = "$before" ] || fail "a refused drop changed the vault"

# A restore into a box, named plainly, through a link, or below a link.
for target in "$H/ImageBox" boxlink boxlink/deeper; do
    "$TOOL" restore "${CRED[@]}" --to "$target" "$H/FileBox/a.txt.\$" 2>err.txt
    [ $? -eq 1 ] || fail "restore --to $target: not refused"
    grep -q "would be restored into the vault" err.txt || { fail "$target: report"; cat err.txt; }
done
[ "$(snapshot)" = "$before" ] || fail "a refused restore changed the vault"

# The folder above the location: everything but the boxes is stored and its
# sources deleted; each box is passed over and named in the report.
"$TOOL" store "${CRED[@]}" top "$H/FileBox" 2>err.txt
[ $? -eq 1 ] || fail "a drop that passed over the boxes must not report full success"
[ "$(grep -c "the vault or its location, passed over: $WORK/$H/[A-Za-z]*Box\$" err.txt)" -eq 4 ] ||
    { fail "report of the boxes"; cat err.txt; }
for stored in top/other.txt top/home/notes.txt top/home/Documents/a.txt; do
    [ -f "$H/FileBox/$stored.\$" ] || fail "$stored was not stored"
    [ -e "$stored" ] && fail "source $stored was kept"
done
[ -e "$H/FileBox/top/home/FileBox" ] && fail "a box was stored into itself"
[ "$(snapshot | grep -v '^FileBox/top')" = "$before" ] || fail "the drop changed the boxes"

[ "$FAILS" -eq 0 ] && echo "all vault location checks passed"
exit $((FAILS > 0))
