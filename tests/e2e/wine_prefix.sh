#!/bin/sh
# Creates a Wine prefix fit for running Belmo and driving its windows:
# - unmanaged windows, so hiding or destroying one does not stall 2 s
#   without a window manager;
# - an 800x600 virtual desktop, so title bars are drawn and screenshots
#   show the windows as a user sees them;
# - the Japanese UI fonts Belmo asks for mapped to the IPA fonts of the same
#   metrics, and the title-bar symbol font in the prefix's Fonts folder;
# - with BELMO_E2E_DPI set (144 for 150 % scaling), that display DPI and a
#   desktop as large as the Xvfb screen, for the windows scaled up.
# usage: wine_prefix.sh PREFIX [nodesktop]   (TMPDIR and LANG set by the caller)
# "nodesktop" leaves windows on the real X display, for people at a screen.
set -eu
prefix=$1
mode=${2:-desktop}
# A prefix made for another display (DPI, desktop) is made again.
made_for="${BELMO_E2E_DPI:-96} $mode"
[ -f "$prefix/.belmo-ready" ] && [ "$(cat "$prefix/.belmo-ready")" = "$made_for" ] && exit 0
rm -rf "$prefix"
mkdir -p "$prefix"
export WINEPREFIX="$prefix"
wineboot -i >/dev/null 2>&1 || true
wineserver -w

reg() { wine reg add "$@" >/dev/null 2>&1; }
reg 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f
desktop=800x600
if [ -n "${BELMO_E2E_DPI:-}" ]; then
  reg 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$BELMO_E2E_DPI" /f
  desktop=1024x768
fi
if [ "$mode" = desktop ]; then
  reg 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f
  reg 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$desktop" /f
fi

# Value names in Japanese only survive as a UTF-16 registry file.
fonts_reg="$prefix/belmo-fonts.reg"
printf '%s\r\n' \
  'Windows Registry Editor Version 5.00' '' \
  '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]' \
  '"ＭＳ Ｐゴシック"="IPAPGothic"' '"ＭＳ ゴシック"="IPAGothic"' \
  '"MS PGothic"="IPAPGothic"' '"MS Gothic"="IPAGothic"' '"MS UI Gothic"="IPAPGothic"' \
  | iconv -f UTF-8 -t UTF-16LE | { printf '\377\376'; cat; } > "$fonts_reg"
wine regedit /S "Z:$(echo "$fonts_reg" | tr / '\\')" >/dev/null 2>&1
for font in /usr/share/wine/fonts/marlett.ttf; do
  [ -f "$font" ] && cp "$font" "$prefix/drive_c/windows/Fonts/"
done
wineserver -w
echo "$made_for" >"$prefix/.belmo-ready"
