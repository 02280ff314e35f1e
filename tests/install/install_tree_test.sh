#!/bin/sh
# Installs the build tree to a temporary prefix and runs the installed CLI
# from there, away from the build folder.
# Usage: install_tree_test.sh BUILD_DIR
set -eu
build=$1
prefix=$(mktemp -d)
work=$(mktemp -d)
trap 'rm -rf "$prefix" "$work"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*" >&2; exit 1; }
for f in bin/tessaro-sm2dns bin/tessaro-cli; do
    [ -x "$prefix/$f" ] || fail "$f is not installed"
done
for f in share/tessaro-sm2dns/help2.dat share/tessaro-sm2dns/MASTER/README.txt \
         share/applications/tessaro-sm2dns.desktop \
         share/icons/hicolor/scalable/apps/tessaro-sm2dns.svg; do
    [ -f "$prefix/$f" ] || fail "$f is not installed"
done
if [ -f "$build/bin/tessaro-xls-reader" ]; then
    [ -x "$prefix/bin/tessaro-xls-reader" ] || fail "the workbook reader is not installed"
fi
# Print loads this module from beside the installed program.
[ -f "$prefix/bin/tessaro-print.so" ] || fail "the printing module is not installed"
grep -q '^Exec=tessaro-sm2dns$' "$prefix/share/applications/tessaro-sm2dns.desktop" ||
    fail "desktop entry does not start tessaro-sm2dns"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$prefix/share/applications/tessaro-sm2dns.desktop"
fi

# The installed CLI on a project in a workspace of its own.
cli="$prefix/bin/tessaro-cli"
"$cli" --help | grep -q '^Usage: tessaro-cli' || fail "tessaro-cli --help"
mkdir -p "$work/ws/PROJECTS/Plant1/bin"
cat >"$work/ws/PROJECTS/Plant1/sdo.xml" <<'XML'
<Serial_to_ProfiBus><DeviceNet_IN><row Slave_ID="1" Type="Holding Register" Address_Mod="100" NPoint="2" Swap="N" Address_DeviceNet="0" Mnemonic="a"/></DeviceNet_IN><DeviceNet_OUT/></Serial_to_ProfiBus>
XML
cat >"$work/ws/PROJECTS/Plant1/pargen.xml" <<'XML'
<Par_Gen><Ser_Baud>7</Ser_Baud><Ser_Par>0</Ser_Par><Ser_TO>1</Ser_TO><Ser_CD>1</Ser_CD><Ser_Type>0</Ser_Type><Ser_Prot>0</Ser_Prot><Ser_Write_Mode>1</Ser_Write_Mode><DN_ID>20</DN_ID><DN_Baud>0</DN_Baud><DN_NB_IN>20</DN_NB_IN><DN_NB_OUT>20</DN_NB_OUT><DN_Enable_Error>0</DN_Enable_Error><DN_Num_Cont_Err>1</DN_Num_Cont_Err><DN_Val_Canc_Data>0x00</DN_Val_Canc_Data></Par_Gen>
XML
cd "$work"
"$cli" --workspace "$work/ws" check Plant1 || fail "installed tessaro-cli check"
"$cli" --workspace "$work/ws" build Plant1 || fail "installed tessaro-cli build"
[ -s "$work/ws/PROJECTS/Plant1/bin/bank.bin" ] || fail "bank.bin was not written"
"$cli" report Plant1 --workspace "$work/ws" -o "$work/report.html" >/dev/null ||
    fail "installed tessaro-cli report"
grep -q 'id="bank"' "$work/report.html" || fail "report has no bank section"
echo "install tree OK: $prefix"
