#!/usr/bin/env bash
# make test-windows: the Windows build's tests under Wine, then the real
# bitmaps converted by quellbit-cli.exe and by the Linux build, compared byte
# for byte, then (information) 1,000 pictures in one call by each.
#
#   tests/windows/run-under-wine.sh WINDOWS_BUILD LINUX_CLI
#
# Wine runs in a throwaway prefix, its server kept up across the many short
# runs and stopped at the end, in a UTF-8 locale (Wine hands a program
# non-ASCII arguments as "?" otherwise).
set -euo pipefail
build=$(realpath "$1")
linux_cli=$(realpath "$2")
source=$(cd "$(dirname "$0")/../.." && pwd)
exe=$build/bin/quellbit-cli.exe

wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
work=$(mktemp -d /tmp/quellbit-wine.XXXXXX)
export WINEPREFIX=$work/prefix WINEDEBUG=-all LC_ALL=C.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
trap '"$wineserver" -k 2>/dev/null || true; rm -rf "$work"' EXIT
"$wine" cmd /c exit 0 >/dev/null 2>&1 || true # the prefix is made here, once
"$wineserver" -p || true # stays up until the end, not seconds after each run

# quellbit-cli.exe ARGS... with standard output to OUT and standard error to
# ERR. Wine on a busy machine now and then fails to start a program, which
# then ends non-zero having said nothing at all, as the program itself never
# does: such a run is made once more, and the log says so.
on_windows() { # OUT ERR ARGS...
    local out=$1 err=$2 status
    shift 2
    "$wine" "$exe" "$@" >"$out" 2>"$err"; status=$?
    if [ $status -ne 0 ] && [ ! -s "$out" ] && [ ! -s "$err" ]; then
        echo "again $*: Wine gave no answer (exit $status)"
        "$wine" "$exe" "$@" >"$out" 2>"$err"; status=$?
    fi
    return $status
}

echo "== the Windows rows (test_windows.exe under Wine)"
ctest --test-dir "$build" --output-on-failure

echo "== the real bitmaps, converted by quellbit-cli.exe and by the Linux build"
mkdir -p "$work/linux" "$work/windows"
cd "$source/tests/data"
failed=0
for picture in *.bmp; do
    for mode in normal inverse; do
        flag=(); [ $mode = inverse ] && flag=(--inverse)
        set +e
        "$linux_cli" convert "${flag[@]}" -o "$work/linux/$picture.$mode.txt" "$picture" >/dev/null 2>"$work/linux/$picture.$mode.err"
        linux_status=$?
        on_windows /dev/null "$work/windows/$picture.$mode.err" convert "${flag[@]}" -o "Z:${work//\//\\}\\windows\\$picture.$mode.txt" "$picture"
        windows_status=$?
        "$linux_cli" info "$picture" >"$work/linux/$picture.info"
        on_windows "$work/windows/$picture.info" "$work/windows/$picture.info.err" info "$picture"
        set -e
        if [ $linux_status -ne $windows_status ]; then
            echo "FAILED $picture ($mode): exit $windows_status on Windows, $linux_status on Linux"; failed=1
        elif [ $linux_status -eq 0 ] && ! cmp "$work/linux/$picture.$mode.txt" "$work/windows/$picture.$mode.txt"; then
            echo "FAILED $picture ($mode): the data files differ"; failed=1
        elif ! cmp -s "$work/linux/$picture.info" "$work/windows/$picture.info"; then
            echo "FAILED $picture: info says otherwise"; diff "$work/linux/$picture.info" "$work/windows/$picture.info" || true; failed=1
        else
            echo "same  $picture ($mode): exit $linux_status$([ $linux_status -eq 0 ] && echo ", $(wc -c <"$work/linux/$picture.$mode.txt") bytes")"
        fi
    done
done

echo "== every picture of prepare's tests, prepared by quellbit-cli.exe (PNG, JPEG, GIF, WebP through WIC) and by the Linux build"
cd "$source/tests/data/prepare"
for picture in *.png *.jpg *.gif *.webp *.bmp *.p?m; do
    for tone in threshold dither; do
        flag=(); [ $tone = dither ] && flag=(--dither floyd-steinberg)
        set +e
        "$linux_cli" prepare "${flag[@]}" -o "$work/linux/$picture.$tone.bmp" "$picture" >/dev/null 2>"$work/linux/$picture.$tone.err"
        linux_status=$?
        on_windows /dev/null "$work/windows/$picture.$tone.err" prepare "${flag[@]}" -o "Z:${work//\//\\}\\windows\\$picture.$tone.bmp" "$picture"
        windows_status=$?
        set -e
        if [ $linux_status -ne 0 ] && [ $windows_status -ne 0 ]; then
            echo "same  $picture ($tone): refused by both"
        elif [ $linux_status -eq 0 ] && [ $windows_status -eq 0 ] && cmp -s "$work/linux/$picture.$tone.bmp" "$work/windows/$picture.$tone.bmp"; then
            echo "same  $picture ($tone)"
        elif [ $picture = png-grey-alpha16.png ] && [ $tone = dither ]; then
            # Wine's imaging component cannot give 16-bit grey and alpha as
            # 16-bit RGBA, and rounds it to 8 bits its own way.
            echo "skipped $picture ($tone): Wine rounds 16-bit grey and alpha its own way"
        elif [[ $picture = *.webp ]] && [ $windows_status -ne 0 ] && grep -q "Windows has no decoder for them" "$work/windows/$picture.$tone.err"; then
            # Wine has no WebP codec; Windows installs one from its Store.
            echo "skipped $picture ($tone): refused as it should be without a WebP codec: $(cat "$work/windows/$picture.$tone.err")"
        else
            echo "FAILED $picture ($tone): exit $windows_status on Windows, $linux_status on Linux, or the bitmaps differ"
            cat "$work/windows/$picture.$tone.err"; failed=1
        fi
    done
done

echo "== standard input: a picture piped and redirected into quellbit-cli.exe"
cd "$source/tests/data"
picture=$(ls *.bmp | head -n 1)
"$linux_cli" convert -o "$work/linux/stdin.txt" "$picture"
for how in piped redirected; do
    rm -f "$work/windows/stdin.txt"
    set +e
    if [ $how = piped ]; then
        cat "$picture" | "$wine" "$exe" convert -o "Z:${work//\//\\}\\windows\\stdin.txt" - 2>"$work/windows/stdin.err"
    else
        "$wine" "$exe" convert -o "Z:${work//\//\\}\\windows\\stdin.txt" - <"$picture" 2>"$work/windows/stdin.err"
    fi
    status=$?
    set -e
    if [ $status -eq 0 ] && cmp -s "$work/linux/stdin.txt" "$work/windows/stdin.txt"; then
        echo "same  $picture $how into standard input"
    else
        echo "FAILED $picture $how into standard input: exit $status"; cat "$work/windows/stdin.err"; failed=1
    fi
done
[ $failed -eq 0 ] || exit 1

echo "== 1,000 pictures in one call (information)"
mkdir -p "$work/batch"
for i in $(seq -w 1 1000); do cp "$source/samples/logo.bmp" "$work/batch/p$i.bmp"; done
cd "$work/batch"
seconds() { local start=$(date +%s%N); "$@" >/dev/null; echo $(( ($(date +%s%N) - start) / 1000000 )); }
linux_ms=$(seconds "$linux_cli" convert p*.bmp)
rm -f lcd_*.txt
windows_ms=$(seconds "$wine" "$exe" convert p*.bmp)
[ "$(ls lcd_*.txt | wc -l)" -eq 1000 ]
echo "Linux build: $linux_ms ms; quellbit-cli.exe under Wine: $windows_ms ms (Wine's start included)"
echo "== quellbit-cli.exe: $(stat -c %s "$exe") bytes"
