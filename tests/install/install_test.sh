#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks it as a user would find it:
# programs start from there, the desktop entry validates, the manual pages hold the
# --help text; then the Debian package's control data and contents.
#   install_test.sh BUILD_DIR
set -euo pipefail
build=$1
tmp=$(mktemp -d /tmp/zul-install.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$tmp/usr" >/dev/null
for p in zulqrt zul qrtsim; do [[ -x $tmp/usr/bin/$p ]] || fail "bin/$p missing"; done
[[ -d $tmp/usr/share/zul-qrt510 ]] || fail "share/zul-qrt510 missing"
for t in day_report_title.xlsx mon_report_title.xlsx; do
  [[ -f $tmp/usr/share/zul-qrt510/$t ]] || fail "template $t missing"
done
[[ -z $(find "$tmp/usr/share/zul-qrt510" -mindepth 1 -type d) ]] || fail "build folders in share/zul-qrt510"

"$tmp/usr/bin/zul" --help | grep -q "Usage: zul" || fail "installed zul --help"
"$tmp/usr/bin/qrtsim" --help 2>&1 | grep -q -- "--tcp" || fail "installed qrtsim --help"

# The installed program keeps its working folders in the user's data folder.
export XDG_DATA_HOME=$tmp/xdg HOME=$tmp/home QT_QPA_PLATFORM=offscreen
unset ZUL_HOME
"$tmp/usr/bin/zulqrt" --startup-time >"$tmp/startup.txt" 2>&1 || { cat "$tmp/startup.txt"; fail "zulqrt --startup-time"; }
[[ -d $tmp/xdg/zul-qrt510/INI && -d $tmp/xdg/zul-qrt510/CONFIG ]] || fail "working folders not in XDG_DATA_HOME"
[[ ! -e $tmp/usr/bin/INI ]] || fail "working folders in bin/"

desktop=$tmp/usr/share/applications/zul-qrt510.desktop
desktop-file-validate "$desktop" || fail "desktop entry"
grep -q "^Name=Обслуживание контроллера ЗУЛ_QRT_510$" "$desktop" || fail "desktop name"
[[ -f $tmp/usr/share/icons/hicolor/scalable/apps/zul-qrt510.svg ]] || fail "icon"

rules=$tmp/usr/lib/udev/rules.d/70-zul-qrt510-serial.rules
[[ -f $rules ]] || fail "udev rule missing"
grep -q 'ATTRS{idVendor}=="1a86", .*ENV{ID_MM_DEVICE_IGNORE}="1"' "$rules" || fail "udev rule lacks the CH340 adapters"

for p in zul qrtsim; do
  man=$tmp/usr/share/man/man1/$p.1
  [[ -f $man ]] || fail "man page $p"
  head -1 "$man" | grep -q "^\.TH ${p^^} 1" || fail "man page header $p"
done
grep -q "identify" "$tmp/usr/share/man/man1/zul.1" || fail "zul.1 lacks the --help text"

# The nightly collection's units, for the machine and for a user: they name the
# installed zul and pass systemd's own check; nothing enables them.
for scope in system user; do
  unit=$tmp/usr/lib/systemd/$scope
  [[ -f $unit/zul-collect.service && -f $unit/zul-collect.timer ]] || fail "systemd $scope units missing"
  grep -q "^ExecStart=$tmp/usr/bin/zul collect " "$unit/zul-collect.service" || fail "$scope service ExecStart"
  grep -q "^OnCalendar=" "$unit/zul-collect.timer" || fail "$scope timer"
  # (checked by the system manager, which needs no session; the manual page is looked up)
  if command -v systemd-analyze >/dev/null; then
    out=$(MANPATH=$tmp/usr/share/man systemd-analyze verify "$unit/zul-collect.service" "$unit/zul-collect.timer" 2>&1) ||
      fail "systemd-analyze verify $scope: $out"
  fi
done

# The Debian package.
(cd "$build" && cpack -G DEB -B "$tmp/pkg" >"$tmp/cpack.log" 2>&1) || { cat "$tmp/cpack.log"; fail "cpack"; }
deb=$(ls "$tmp"/pkg/zul-qrt510_*.deb)
info=$(dpkg-deb -I "$deb")
echo "$info" | grep -q "Package: zul-qrt510" || fail "package name"
for dep in libqt6widgets6 libqt6core6 libc6 fonts-dejavu-core libpq5 qt6-translations-l10n; do
  echo "$info" | grep "Depends:" | grep -q "$dep" || fail "Depends lacks $dep: $(echo "$info" | grep Depends:)"
done
contents=$(dpkg-deb -c "$deb")
for f in ./usr/bin/zulqrt ./usr/bin/zul ./usr/bin/qrtsim ./usr/share/applications/zul-qrt510.desktop \
         ./usr/share/icons/hicolor/scalable/apps/zul-qrt510.svg ./usr/share/man/man1/zul.1 ./usr/share/man/man1/qrtsim.1 \
         ./usr/share/zul-qrt510/README ./usr/share/zul-qrt510/day_report_title.xlsx \
         ./usr/share/zul-qrt510/mon_report_title.xlsx ./usr/lib/systemd/system/zul-collect.service \
         ./usr/lib/systemd/system/zul-collect.timer ./usr/lib/systemd/user/zul-collect.service \
         ./usr/lib/systemd/user/zul-collect.timer ./usr/lib/udev/rules.d/70-zul-qrt510-serial.rules; do
  echo "$contents" | grep -q " $f\$" || fail "package lacks $f"
done
echo "install and package: ok"
