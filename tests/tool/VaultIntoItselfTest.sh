#!/usr/bin/env bash
# A drop never stores the vault into itself: a folder that holds the vault is
# stored without it, and the vault, anything inside it, or a link to it is
# refused; nothing in the vault changes. In a temporary folder.
# Usage: VaultIntoItselfTest.sh PATH-TO-quovex-tool
. "$(dirname "$0")/ToolTestSupport.sh"
CRED=(--user alice --password secret1)
snapshot() { (cd home/Box && find . -printf '%p %s %i\n' | sort); }

mkdir -p home/docs
echo first >home/docs/a.txt
echo top >home/top.txt
"$TOOL" store "${CRED[@]}" --keep-source home/docs/a.txt home/Box/FileBox 2>/dev/null ||
    fail "first store"
ln -s Box home/boxlink  # a link is passed over anyway; the vault stays untouched
before=$(snapshot)

# The home folder holds the vault: everything else is stored and its
# sources deleted; the vault is passed over and named in the report.
"$TOOL" store "${CRED[@]}" home home/Box/FileBox 2>err.txt
[ $? -eq 1 ] || fail "a drop that passed over the vault must not report full success"
grep -q "the vault itself, passed over: $WORK/home/Box" err.txt || { fail "report"; cat err.txt; }
[ -f "home/Box/FileBox/home/top.txt.\$" ] && [ -f "home/Box/FileBox/home/docs/a.txt.\$" ] ||
    fail "the rest of the home folder was not stored"
[ -e home/top.txt ] || [ -e home/docs/a.txt ] && fail "sources outside the vault were kept"
[ -e "home/Box/FileBox/home/Box" ] && fail "the vault was stored into itself"
after=$(snapshot | grep -v '^./FileBox/home')
[ "$after" = "$before" ] || { fail "the vault changed"; diff <(echo "$before") <(echo "$after"); }

# The vault, a box, a stored file, and the vault under another spelling.
ln -s "$WORK/home/Box" vaultlink
before=$(snapshot)
for item in home/Box home/Box/FileBox "home/Box/FileBox/a.txt.\$" "home/./Box/../Box/FileBox"; do
    "$TOOL" store "${CRED[@]}" "$item" home/Box/OtherBox 2>err.txt
    [ $? -eq 1 ] || fail "$item: not refused"
    grep -q "the vault\|inside the vault" err.txt || { fail "$item: report"; cat err.txt; }
done
"$TOOL" store "${CRED[@]}" vaultlink/FileBox home/Box/OtherBox 2>err.txt
grep -q "inside the vault\|the vault itself" err.txt || fail "a spelling through a link was not refused"
[ "$(snapshot)" = "$before" ] || fail "a refused drop changed the vault"

[ "$FAILS" -eq 0 ] && echo "all vault-into-itself checks passed"
exit $((FAILS > 0))
