#!/usr/bin/env bash
# Unpacks the .deb that PackageBuild made and checks it as a laboratory machine would see it:
# the programs, the desktop entry, the udev rule and the icons are in place, the dependencies
# were computed, and the unpacked vespian-report answers --help, converts a trace recorded by
# the unpacked recorder and turns a report file into its results, CSV and printed page.
#   package_contents_test.sh SCRATCH PACKAGING_SOURCE_FOLDER
set -euo pipefail
scratch=$1
packaging=$2
deb=$(ls "$scratch"/deb/*.deb)
root=$scratch/root
work=$scratch/work
rm -rf "$root" "$work"
mkdir -p "$root" "$work"
failures=0
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }
check() { local what=$1; shift; "$@" || fail "$what"; }

dpkg-deb -x "$deb" "$root"

# Metadata: named right, dependencies from dpkg-shlibdeps, the postinst in place.
check "package name" test "$(dpkg-deb -f "$deb" Package)" = vespian2002
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
check "libc6 in Depends" grep -q 'libc6' <<<"$depends"
check "Qt Widgets in Depends" grep -q 'libqt6widgets6' <<<"$depends"
check "Qt GUI in Depends" grep -q 'libqt6gui6' <<<"$depends"
dpkg-deb -e "$deb" "$scratch/control"
check "postinst" test -x "$scratch/control/postinst"

# Files.
for program in vespian2002 vespian-recorder vespian-report; do
  check "usr/bin/$program" test -x "$root/usr/bin/$program"
done
desktop=$root/usr/share/applications/vespian2002.desktop
check "desktop entry" test -f "$desktop"
check "desktop-file-validate" desktop-file-validate "$desktop"
check "Chinese name" grep -q '^Name\[zh_CN\]=Vespian2002 化学吸附仪$' "$desktop"
check "English name" grep -q '^Name=Vespian2002 Chemisorption Analyser$' "$desktop"
rule=$root/usr/lib/udev/rules.d/60-vespian2002.rules
check "udev rule" cmp -s "$rule" "$packaging/60-vespian2002.rules"
if udevadm verify --help >/dev/null 2>&1; then
  check "udevadm verify" udevadm verify --resolve-names=never "$rule"
fi
for side in 16 24 32 48 64 128 256; do
  icon=$root/usr/share/icons/hicolor/${side}x${side}/apps/vespian2002.png
  check "icon ${side}" grep -q "PNG image data, $side x $side" <<<"$(file -b "$icon" 2>&1)"
done
for template in h2_o2_titration nh3_tpd pulse_chemisorption tpo tpr; do
  check "method template $template" test -f "$root/usr/share/vespian2002/methods/$template.json"
done
unexpected=$(cd "$root" && find . -type f | grep -v -E '^\./usr/(bin|share/applications|share/icons/hicolor|share/vespian2002/methods|lib/udev/rules\.d)/' || true)
check "nothing else in the package: $unexpected" test -z "$unexpected"

# The unpacked programs, with a home of their own.
export HOME=$work/home XDG_DATA_HOME=$work/home/.local/share
mkdir -p "$HOME"
help=$("$root/usr/bin/vespian-report" --help)
check "help in Chinese" grep -q '用法: vespian-report' <<<"$help"
check "help in English" grep -q 'Usage: vespian-report' <<<"$help"

"$root/usr/bin/vespian-recorder" --simulator --fast --seconds 20 --out "$work/run.lne" >/dev/null
json=$("$root/usr/bin/vespian-report" "$work/run.lne" --json --csv "$work/run.csv" --png "$work/run.png" \
       --width 800 --height 400)
echo "$json"
check "JSON point count" grep -q '"points": 100,' <<<"$json"
check "JSON duration" grep -q '"duration_s": 20,' <<<"$json"
check "CSV header" test "$(head -n 1 "$work/run.csv")" = $'\xef\xbb\xbftime_s,signal_mV,temperature_C'
check "CSV rows" test "$(wc -l <"$work/run.csv")" -eq 101
check "CSV last time" grep -q '^19.8,' <<<"$(tail -n 1 "$work/run.csv")"
check "PNG picture" grep -q 'PNG image data, 800 x 400' <<<"$(file -b "$work/run.png")"

# A report file as the program writes it: the 1156-byte header, then the signal and the
# temperature arrays of 10,000,000 floats each (a sparse file). Sample "Pt-A", 0.1 g, one Tm
# of 245.5 ℃, three points (0 .. 2).
care=$work/catalyst.care
truncate -s 80001156 "$care"
put() { printf "$2" | dd of="$care" bs=1 seek="$1" conv=notrunc status=none; }
put 0 'Pt-A'
put 52 '\xcd\xcc\xcc\x3d'                  # weight 0.1 g
put 348 '\x01\x00\x00\x00'                 # one Tm value
put 352 '\x00\x80\x75\x43'                 # 245.5 ℃
put 1152 '\x02\x00\x00\x00'                # the last point: 0 .. 2
put 1156 '\x00\x00\x00\x3f\x00\x00\x00\x40\x00\x00\x80\x3f'  # 0.5, 2, 1 mV
put 40001156 '\x00\x00\xc8\x42\x00\x00\xc8\x42\x00\x00\xc8\x42'  # 100 ℃
# No display, and a session's platform that needs one: the tool draws offscreen all the same.
json=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$root/usr/bin/vespian-report" "$care" --json \
       --pdf "$work/catalyst.pdf")
echo "$json"
check "report JSON kind" grep -q '"kind": "report",' <<<"$json"
check "report JSON sample" grep -q '"sample_name": "Pt-A",' <<<"$json"
check "report JSON Tm" grep -q '"tm_C": \[245.5\],' <<<"$json"
check "report PDF" test "$(head -c 4 "$work/catalyst.pdf")" = "%PDF"
if command -v pdftotext >/dev/null; then
  check "report PDF title" grep -q 'CXM-2600' <<<"$(pdftotext "$work/catalyst.pdf" -)"
fi
"$root/usr/bin/vespian-report" "$care" --csv - >"$work/catalyst.csv"
check "report CSV" test "$(cat "$work/catalyst.csv")" = $'\xef\xbb\xbftime_s,signal_mV,temperature_C\n0,0.5,100\n0.2,2,100\n0.4,1,100'

set +e
"$root/usr/bin/vespian-report" "$work/absent.lne" 2>"$work/refused.txt"
code=$?
set -e
check "refused file exits with 2 (got $code)" test "$code" -eq 2
check "refused file says why" grep -q 'no such file' "$work/refused.txt"
head -c 100 /dev/urandom >"$work/short.care"
set +e
"$root/usr/bin/vespian-report" "$work/short.care" --json >/dev/null 2>"$work/refused.txt"
code=$?
set -e
check "damaged report file exits with 2 (got $code)" test "$code" -eq 2

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "package checks passed: $deb"
