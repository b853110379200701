#!/usr/bin/env bash
# The unpacked release holds everything a clean Windows needs and nothing else: both programs,
# the soundtrack (the one the build composed), every DLL they load that is not part of Windows,
# the README and the licences; oske.exe windowed, oske-capture.exe a console program, both with
# icon, version information and a DPI-aware manifest.
#   release_folder.sh FOLDER MUSIC_XM OBJDUMP
set -euo pipefail
dir=$1 music=$2 objdump=$3
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
cd "$dir"
for f in oske.exe oske-capture.exe music.xm SDL2.dll README.txt licences/SDL2.txt \
    licences/libopenmpt.txt; do
    [[ -f $f ]] || fail "$f missing"
done
cmp -s music.xm "$music" || fail "music.xm is not the composed soundtrack"
grep -q $'\r$' README.txt || fail "README.txt has no Windows line ends"

# The DLLs Windows itself provides (those the programs and SDL2 import).
system_dlls=" advapi32.dll gdi32.dll glu32.dll imm32.dll kernel32.dll msvcrt.dll ole32.dll "
system_dlls+="oleaut32.dll opengl32.dll rpcrt4.dll setupapi.dll shell32.dll user32.dll "
system_dlls+="version.dll winmm.dll "
for f in *.exe *.dll; do
    for dll in $("$objdump" -p "$f" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z'); do
        if [[ $system_dlls != *" $dll "* ]] && ! ls | tr 'A-Z' 'a-z' | grep -qx "$dll"; then
            fail "$f needs $dll, which is neither in the folder nor part of Windows"
        fi
    done
done

subsystem() { "$objdump" -p "$1" | sed -n 's/^Subsystem\s*\([0-9a-f]*\).*/\1/p'; }
[[ $(subsystem oske.exe) == 00000002 ]] || fail "oske.exe is not a windowed program"
[[ $(subsystem oske-capture.exe) == 00000003 ]] || fail "oske-capture.exe is not a console program"
for f in oske.exe oske-capture.exe; do
    resources=$(wrestool -l "$f")
    for type in 14 16 24; do # group icon, version, manifest
        grep -q -- "--type=$type " <<<"$resources" || fail "$f lacks resources of type $type"
    done
    wrestool -x --raw --type=24 "$f" | grep -q 'PerMonitorV2' || fail "$f does not declare DPI awareness"
done
echo "release folder complete: $(ls | tr '\n' ' ')"
